// The module (the loader library or a program) this code is linked into:
// the instance its window classes and windows are registered under.
#pragma once

#include <windows.h>

namespace platform {
namespace win32 {

HINSTANCE ThisModule();

}  // namespace win32
}  // namespace platform
