// Holds a file open without sharing (share mode 0), as another program that
// has a map open would, until told to let go:
//
//   torva_file_holder FILE SIGNAL-FOLDER
//
// Writes SIGNAL-FOLDER\held once the file is open (or SIGNAL-FOLDER\failed),
// then waits until SIGNAL-FOLDER\release exists (at most five minutes).
#include <windows.h>

#include <string>

namespace {

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Touch(const std::wstring& path) {
    const HANDLE file =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) return 2;
    const std::wstring signals = argv[2];
    const HANDLE held = CreateFileW(argv[1], GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE) {
        Touch(signals + L"\\failed");
        return 1;
    }
    Touch(signals + L"\\held");
    for (int waited = 0; waited < 3000 && !Exists(signals + L"\\release"); ++waited) Sleep(100);
    CloseHandle(held);
    return 0;
}
