#pragma once

#include <string>
#include <string_view>

namespace trelvo {

// The fleet window's texts: German in the code, English from a table of
// their own by the same language rule as every other text. A text the
// fleet table lacks is one the fleet window shares with the update window
// (a job's message, a state's text), so it goes on to that table.
std::string LocalizeFleetText(std::string_view german);

// The English text the fleet table pairs with a German one, then the
// update window's, then the text itself.
std::string_view FleetEnglishText(std::string_view german);

}  // namespace trelvo
