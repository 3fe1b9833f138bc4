#include "link/win32/win32_tick_clock.h"

#include <windows.h>

namespace trelvo {

std::uint32_t Win32TickClock::NowMs() {
    return GetTickCount();
}

}  // namespace trelvo
