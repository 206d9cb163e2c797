#include "platform/win32/console_text.h"

#include <fcntl.h>
#include <io.h>

#include <exception>
#include <string>

#include "base/utf.h"

namespace torva {

namespace {

constexpr UINT kExitInternalError = 70;  // sysexits' EX_SOFTWARE

// An exception must not unwind out of a thread Windows started: the program
// ends with a message instead.
[[noreturn]] void EndOnException(HANDLE console, const char* what) {
    const std::wstring text = Utf8ToWide(std::string("torvacheck: internal error: ") + what + "\n");
    DWORD written = 0;
    WriteConsoleW(console, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ExitProcess(kExitInternalError);
}

}  // namespace

ConsoleText::ConsoleText(std::FILE* stream) : stream_(stream) {
    const int fd = _fileno(stream);
    HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) return;
    UniqueHandle readEnd, writeEnd;
    if (!CreatePipe(readEnd.Put(), writeEnd.Put(), nullptr, 0)) return;
    const UniqueCrtFd pipeFd(
        _open_osfhandle(reinterpret_cast<intptr_t>(writeEnd.Get()), _O_BINARY | _O_WRONLY));
    if (pipeFd) (void)writeEnd.Release();  // the descriptor owns it now
    UniqueCrtFd saved(_dup(fd));
    if (!pipeFd || !saved || _dup2(pipeFd.Get(), fd) != 0) return;
    // pipeFd closes on return: the stream's descriptor holds its own copy.
    readEnd_ = std::move(readEnd);
    savedFd_ = std::move(saved);
    // The C runtime buffers a pipe fully (it has no line buffering): a prompt
    // must reach the console before the program waits for the answer.
    std::setvbuf(stream, nullptr, _IONBF, 0);
    // The stream's own handle went with _dup2: write through the saved copy.
    console_ = reinterpret_cast<HANDLE>(_get_osfhandle(savedFd_.Get()));
    thread_.Reset(CreateThread(nullptr, 0, &ConsoleText::Pump, this, 0, nullptr));
}

ConsoleText::~ConsoleText() {
    if (!savedFd_) return;
    std::fflush(stream_);
    // Back to the console; the pipe's last write end closes, so Pump ends
    // once it has written what the pipe still holds.
    _dup2(savedFd_.Get(), _fileno(stream_));
    if (thread_) WaitForSingleObject(thread_.Get(), INFINITE);
}

DWORD WINAPI ConsoleText::Pump(void* param) {
    auto* self = static_cast<ConsoleText*>(param);
    try {
        std::string pending;
        char chunk[4096];
        DWORD got = 0;
        while (ReadFile(self->readEnd_.Get(), chunk, sizeof chunk, &got, nullptr) && got > 0) {
            pending.append(chunk, got);
            const std::size_t whole = WholeUtf8Prefix(pending);
            if (whole == 0) continue;
            const std::wstring text = Utf8ToWide(std::string_view(pending).substr(0, whole));
            DWORD written = 0;
            WriteConsoleW(self->console_, text.data(), static_cast<DWORD>(text.size()), &written,
                          nullptr);
            pending.erase(0, whole);
        }
    } catch (const std::exception& error) {
        EndOnException(self->console_, error.what());
    } catch (...) {
        EndOnException(self->console_, "unknown exception");
    }
    return 0;
}

}  // namespace torva
