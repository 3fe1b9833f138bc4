#pragma once

#include <string>
#include <string_view>

namespace trelvo {

// Text from outside the tool (a recorder's version, a hosts file's names)
// made harmless for a terminal: printable UTF-8 passes, and every byte of a
// control character (C0, DEL, C1) or of anything that is not UTF-8 becomes
// \xNN, so no escape sequence reaches the terminal.
std::string TerminalSafe(std::string_view text);

// The same for Windows-1252 text, as recorders and hosts files give it:
// decoded to UTF-8 first, so "B\xFCro" shows as "Büro".
std::string TerminalSafeWindows1252(std::string_view bytes);

// The most characters of a recorder's text (its version) that the tool
// keeps and shows; the version gate still reads the whole reply.
inline constexpr std::size_t MAX_KEPT_TEXT = 256;

// Windows-1252 text cut to MAX_KEPT_TEXT characters, its last one then "…"
// to mark the cut, so a recorder cannot fill memory or output with one text.
std::string CutToKeptLength(std::string_view bytes);

}  // namespace trelvo
