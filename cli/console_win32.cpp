#include "cli/console_win32.h"

#include <fcntl.h>
#include <io.h>

#include <string>

namespace torva::cli {

std::size_t WholeUtf8Prefix(const std::string& bytes) {
    // Look back over at most three continuation bytes for the last lead byte.
    std::size_t at = bytes.size();
    for (int back = 0; back < 4 && at > 0; ++back) {
        const auto c = static_cast<unsigned char>(bytes[at - 1]);
        if ((c & 0xC0) != 0x80) {  // ASCII or a lead byte
            const std::size_t need = c < 0x80    ? 1
                                     : c >= 0xF0 ? 4
                                     : c >= 0xE0 ? 3
                                     : c >= 0xC0 ? 2
                                                 : 1;
            return bytes.size() - (at - 1) >= need ? bytes.size() : at - 1;
        }
        --at;
    }
    return bytes.size();  // not UTF-8 at all: convert as it is (U+FFFD)
}

ConsoleText::ConsoleText(std::FILE* stream) : stream_(stream) {
    const int fd = _fileno(stream);
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) return;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd_, &writeEnd, nullptr, 0)) return;
    const int pipeFd = _open_osfhandle(reinterpret_cast<intptr_t>(writeEnd), _O_BINARY | _O_WRONLY);
    savedFd_ = _dup(fd);
    if (pipeFd < 0 || savedFd_ < 0 || _dup2(pipeFd, fd) != 0) {
        if (pipeFd >= 0)
            _close(pipeFd);
        else
            CloseHandle(writeEnd);
        if (savedFd_ >= 0) _close(savedFd_);
        savedFd_ = -1;
        CloseHandle(readEnd_);
        readEnd_ = nullptr;
        return;
    }
    _close(pipeFd);  // the stream's descriptor holds its own copy
    // The C runtime buffers a pipe fully (it has no line buffering): a prompt
    // must reach the console before the program waits for the answer.
    std::setvbuf(stream, nullptr, _IONBF, 0);
    // The stream's own handle went with _dup2: write through the saved copy.
    console_ = reinterpret_cast<HANDLE>(_get_osfhandle(savedFd_));
    thread_ = CreateThread(nullptr, 0, &ConsoleText::Pump, this, 0, nullptr);
}

ConsoleText::~ConsoleText() {
    if (savedFd_ < 0) return;
    std::fflush(stream_);
    // Back to the console; the pipe's last write end closes, so Pump ends.
    _dup2(savedFd_, _fileno(stream_));
    _close(savedFd_);
    if (thread_ != nullptr) {
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
    }
    CloseHandle(readEnd_);
}

DWORD WINAPI ConsoleText::Pump(void* param) {
    auto* self = static_cast<ConsoleText*>(param);
    std::string pending;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(self->readEnd_, chunk, sizeof chunk, &got, nullptr) && got > 0) {
        pending.append(chunk, got);
        const std::size_t whole = WholeUtf8Prefix(pending);
        if (whole == 0) continue;
        const int units =
            MultiByteToWideChar(CP_UTF8, 0, pending.data(), static_cast<int>(whole), nullptr, 0);
        std::wstring text(static_cast<std::size_t>(units), L'\0');
        MultiByteToWideChar(CP_UTF8, 0, pending.data(), static_cast<int>(whole), text.data(),
                            units);
        DWORD written = 0;
        WriteConsoleW(self->console_, text.data(), static_cast<DWORD>(text.size()), &written,
                      nullptr);
        pending.erase(0, whole);
    }
    return 0;
}

}  // namespace torva::cli
