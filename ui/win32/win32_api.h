#pragma once

// The Windows API as the window's files use it, included in the order its
// headers need. Its MessageBox macro would rename the job's MessageBox
// interface in every file that includes both, so it goes; the code calls
// MessageBoxW by its own name.
#ifndef NOMINMAX
#define NOMINMAX
#endif
// clang-format off
// Winsock 2 before the API's headers, which would bring in its predecessor;
// the common controls and dialogs after them, as they need the API's types.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
// clang-format on
#undef MessageBox
