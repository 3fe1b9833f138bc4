#include <windows.h>

#include "text/secure_wipe.h"

namespace trelvo {

void SecureWipe(void* bytes, std::size_t size) {
    SecureZeroMemory(bytes, size);
}

}  // namespace trelvo
