#include "link/win32/winsock_start.h"

#include <winsock2.h>

namespace trelvo {

bool StartWinsock() {
    WSADATA data{};
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

}  // namespace trelvo
