// torvacheck's text on a Windows console. The C runtime hands the console
// UTF-8 bytes, which it decodes in its own code page: Hangul comes out
// garbled, and a UTF-8 console code page loses output on Windows 7. So while a
// ConsoleText lives, a stream that is a console goes through a pipe to a
// thread that writes it as UTF-16 with WriteConsoleW. Streams redirected to a
// file or pipe stay UTF-8 bytes, and the console's code page is never changed.
#pragma once

#include <windows.h>

#include <cstdio>

#include "platform/win32/win32_handles.h"

namespace torva {

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
    HANDLE console_ = nullptr;  // the saved descriptor's, not owned
    UniqueHandle readEnd_;
    UniqueHandle thread_;
    UniqueCrtFd savedFd_;
};

}  // namespace torva
