// Windows result and error numbers the core compares against. The core never
// includes <windows.h>, so the values it needs are spelled out here; both
// ports return exactly these numbers.
#pragma once

#include <cstdint>

namespace platform {

using Win32Error = long;  // a GetLastError / LSTATUS value
using HResult = int32_t;

constexpr Win32Error kErrorSuccess = 0;
constexpr Win32Error kErrorFileNotFound = 2;
constexpr Win32Error kErrorPathNotFound = 3;
constexpr Win32Error kErrorAccessDenied = 5;
constexpr Win32Error kErrorInvalidHandle = 6;
constexpr Win32Error kErrorNotEnoughMemory = 8;
constexpr Win32Error kErrorInvalidData = 13;
constexpr Win32Error kErrorNotSameDevice = 17;
constexpr Win32Error kErrorSharingViolation = 32;
constexpr Win32Error kErrorLockViolation = 33;
constexpr Win32Error kErrorHandleEof = 38;
constexpr Win32Error kErrorNotSupported = 50;
constexpr Win32Error kErrorFileExists = 80;
constexpr Win32Error kErrorInvalidParameter = 87;
constexpr Win32Error kErrorInvalidName = 123;
constexpr Win32Error kErrorDirNotEmpty = 145;
constexpr Win32Error kErrorBadPathname = 161;
constexpr Win32Error kErrorAlreadyExists = 183;
constexpr Win32Error kErrorBadExeFormat = 193;  // not a program this system can run
constexpr Win32Error kErrorFilenameExcedRange = 206;
constexpr Win32Error kErrorMoreData = 234;
constexpr Win32Error kErrorNoMoreItems = 259;
constexpr Win32Error kErrorDirectory = 267;  // not a folder
constexpr Win32Error kErrorKeyDeleted = 1018;
constexpr Win32Error kErrorTimeout = 1460;

// INFINITE: a wait without a time limit.
constexpr uint32_t kInfiniteWait = 0xFFFFFFFFu;

constexpr HResult kSOk = 0;
constexpr HResult kEFail = static_cast<HResult>(0x80004005u);
constexpr HResult kENotImpl = static_cast<HResult>(0x80004001u);
constexpr HResult kEPointer = static_cast<HResult>(0x80004003u);

// HRESULT_FROM_WIN32
constexpr HResult HResultFromWin32(Win32Error error) {
  return error <= 0 ? static_cast<HResult>(error)
                    : static_cast<HResult>((static_cast<uint32_t>(error) & 0xFFFFu) | 0x80070000u);
}

}  // namespace platform
