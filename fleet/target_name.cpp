#include "fleet/target_name.h"

#include "text/operator_text.h"
#include "text/windows1252_text.h"

namespace trelvo {

std::string TargetNameText(const RecorderTarget& target) {
    return target.serial ? target.name : Windows1252ToUtf8(target.name);
}

std::optional<std::string> TargetNameBytes(std::string_view text, bool serial) {
    if (serial) {
        return std::string(text);
    }
    return OperatorTextBytes(text);
}

}  // namespace trelvo
