// Win32 handle kinds in the one owner of base/unique_handle.h. The closing
// calls are wrapped in functions of our own: a dllimport's address is no
// constant a template can take.
#pragma once

#include <io.h>
#include <windows.h>

#include "base/unique_handle.h"

namespace torva {

inline void CloseKernelHandle(HANDLE handle) noexcept { CloseHandle(handle); }
inline HANDLE InvalidHandleValue() noexcept { return INVALID_HANDLE_VALUE; }
inline void CloseFind(HANDLE handle) noexcept { FindClose(handle); }
inline void CloseCrtDescriptor(int fd) noexcept { _close(fd); }
inline void CloseRegistryKey(HKEY key) noexcept { RegCloseKey(key); }
inline void FreeTaskMemory(wchar_t* memory) noexcept { CoTaskMemFree(memory); }
inline void ReleaseScreenDc(HDC dc) noexcept { ReleaseDC(nullptr, dc); }
inline void UninitializeCom(bool initialized) noexcept {
    if (initialized) CoUninitialize();
}

// Pipes, threads: handles whose "none" is null.
using UniqueHandle = UniqueAny<HANDLE, &CloseKernelHandle>;
// CreateFileW's handle, "none" being INVALID_HANDLE_VALUE.
using UniqueFileHandle = UniqueAny<HANDLE, &CloseKernelHandle, &InvalidHandleValue>;
// FindFirstFileW's search, "none" being INVALID_HANDLE_VALUE.
using UniqueFind = UniqueAny<HANDLE, &CloseFind, &InvalidHandleValue>;
// A C runtime descriptor (_open_osfhandle, _dup).
using UniqueCrtFd = UniqueAny<int, &CloseCrtDescriptor, -1>;
using UniqueKey = UniqueAny<HKEY, &CloseRegistryKey>;
// Text the shell allocates (SHGetKnownFolderPath), freed even after a failed call.
using UniqueTaskText = UniqueAny<wchar_t*, &FreeTaskMemory>;
// GetDC(nullptr): the screen's device context.
using UniqueScreenDc = UniqueAny<HDC, &ReleaseScreenDc>;
// The thread's COM apartment, left only when CoInitializeEx succeeded.
using UniqueComApartment = UniqueAny<bool, &UninitializeCom, false>;

}  // namespace torva
