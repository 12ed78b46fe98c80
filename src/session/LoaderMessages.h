// The private messages of the control window. Their numbers are part of the
// control's interface: the started client and the page's container send
// some of them from outside.
#pragma once

#include <cstdint>

constexpr uint32_t WM_LOADER_START_DOWNLOAD = 0x4C7;          // WM_USER + 199
constexpr uint32_t WM_LOADER_START_SETUP = 0x4C8;             // WM_USER + 200
constexpr uint32_t WM_LOADER_REPAINT = 0x4C9;                 // WM_USER + 201
constexpr uint32_t WM_LOADER_HOST_MAIN_UI = 0x4CA;            // WM_USER + 202
constexpr uint32_t WM_LOADER_INIT_FAILED = 0x4CB;             // WM_USER + 203
constexpr uint32_t WM_LOADER_REGISTER_CLIENT_WINDOW = 0x7E8;  // WM_USER + 1000
constexpr uint32_t WM_LOADER_FIT_TO_FRAME = 0x7E9;            // WM_USER + 1001
constexpr uint32_t WM_LOADER_SLO = 0x7EA;                     // WM_USER + 1002
constexpr uint32_t WM_LOADER_HOST_START = 0xBD0;              // WM_USER + 2000

// Timer 1 of the control window drives completion every 50 ms.
constexpr uintptr_t kCompletionTimerId = 1;
constexpr uint32_t kCompletionTimerMs = 50;
