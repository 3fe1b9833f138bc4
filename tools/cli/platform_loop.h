#pragma once

// The event loop and the clock of a run on this platform: both give the
// loop Run() and Quit(status), and the loop delivers the links' readiness.
#ifdef _WIN32
#include "link/win32/win32_event_loop.h"
#include "link/win32/win32_tick_clock.h"
#else
#include "link/posix/posix_event_loop.h"
#include "link/posix/steady_tick_clock.h"
#endif

namespace trelvo {

#ifdef _WIN32
using PlatformEventLoop = Win32EventLoop;
using PlatformTickClock = Win32TickClock;
#else
using PlatformEventLoop = PosixEventLoop;
using PlatformTickClock = SteadyTickClock;
#endif

}  // namespace trelvo
