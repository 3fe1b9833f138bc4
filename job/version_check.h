#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace trelvo {

// Reads a number the way C's atoi does: leading white space skipped, an
// optional sign, then decimal digits up to the first other character; no
// digits gives 0. Unlike atoi, a number out of range saturates instead of
// being undefined.
int ReadAtoi(std::string_view text);

// True when a recorder's version text begins with "QRB" or reads as 2.0.60
// or later ("major.minor.patch", each part read like atoi).
bool CheckVersionText(std::string_view text);

// The version text of a network version reply's body: it starts after four
// bytes the tool does not interpret and ends at its first NUL or at the end
// of the body.
std::string VersionTextOf(std::span<const std::uint8_t> body);

}  // namespace trelvo
