#pragma once

#include <optional>

#include "ui/fleet/fleet_behaviour.h"
#include "ui/win32/win32_api.h"

namespace trelvo {

// The Add dialog, template 141, modal to `owner`: the recorders typed one a
// line, or the wish to open a report; nothing on Cancel or Escape. Every
// text comes from the behaviour.
std::optional<AddedRecorders> AskForRecorders(HWND owner, const AddDialogTexts& texts);

}  // namespace trelvo
