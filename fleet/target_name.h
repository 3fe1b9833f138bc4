#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "fleet/recorder_run.h"

namespace trelvo {

// A recorder's name as the operator reads and writes it: UTF-8, for the
// terminal (through TerminalSafe), JSON and reports. A host's name is
// decoded from Windows-1252, a device path shown as it is.
std::string TargetNameText(const RecorderTarget& target);

// The name's bytes back from that text, exactly as they were, so that a
// report names the very recorder again; nothing when the text breaks the
// rule for operator texts, which no name read in keeps.
std::optional<std::string> TargetNameBytes(std::string_view text, bool serial);

}  // namespace trelvo
