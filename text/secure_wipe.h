#pragma once

#include <cstddef>

namespace trelvo {

// Overwrites `size` bytes at `bytes` with zeros in a way the compiler may not
// drop as a dead store, so a password or update code leaves no trace in
// memory that is about to be freed or reused.
void SecureWipe(void* bytes, std::size_t size);

}  // namespace trelvo
