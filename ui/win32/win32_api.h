#pragma once

// The Windows API as the window's files use it. Its MessageBox macro would
// rename the job's MessageBox interface in every file that includes both, so
// it goes; the code calls MessageBoxW by its own name.
#ifndef NOMINMAX
#define NOMINMAX
#endif
// Winsock 2 before the API's headers, which would bring in its predecessor.
#include <winsock2.h>
#include <windows.h>
#undef MessageBox
