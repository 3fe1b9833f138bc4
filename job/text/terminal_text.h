#pragma once

#include <string>
#include <string_view>

namespace trelvo {

// Text from outside the tool (a recorder's version, a hosts file's names)
// made harmless for a terminal: printable UTF-8 passes, and every byte of a
// control character (C0, DEL, C1) or of anything that is not UTF-8 becomes
// \xNN, so no escape sequence reaches the terminal.
std::string TerminalSafe(std::string_view text);

}  // namespace trelvo
