#include <string.h>

#include "text/secure_wipe.h"

namespace trelvo {

void SecureWipe(void* bytes, std::size_t size) {
    explicit_bzero(bytes, size);
}

}  // namespace trelvo
