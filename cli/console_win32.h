// torvacheck's text on a Windows console. The C runtime hands the console
// UTF-8 bytes, which it decodes in its own code page: Hangul comes out
// garbled, and a UTF-8 console code page loses output on Windows 7. So while a
// ConsoleText lives, a stream that is a console goes through a pipe to a
// thread that writes it as UTF-16 with WriteConsoleW. Streams redirected to a
// file or pipe stay UTF-8 bytes, and the console's code page is never changed.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

namespace torva::cli {

class ConsoleText {
public:
    // `stream` is stdout or stderr.
    explicit ConsoleText(std::FILE* stream);
    ~ConsoleText();
    ConsoleText(const ConsoleText&) = delete;
    ConsoleText& operator=(const ConsoleText&) = delete;

private:
    static DWORD WINAPI Pump(void* self);

    std::FILE* stream_;
    HANDLE console_ = nullptr;
    HANDLE readEnd_ = nullptr;
    HANDLE thread_ = nullptr;
    int savedFd_ = -1;
};

// The length of the longest prefix of `bytes` that ends on a whole UTF-8
// sequence: what can be converted now, the rest waiting for the next read.
std::size_t WholeUtf8Prefix(const std::string& bytes);

}  // namespace torva::cli
