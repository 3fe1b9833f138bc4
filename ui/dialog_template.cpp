#include "ui/dialog_template.h"

#include <algorithm>
#include <stdexcept>

namespace trelvo {

const ControlTemplate& TemplateOf(ControlId id) {
    const auto* row =
        std::find_if(kDialogTemplate.begin(), kDialogTemplate.end(),
                     [id](const ControlTemplate& control) { return control.id == id; });
    if (row == kDialogTemplate.end()) {
        throw std::invalid_argument("no control with this id in the dialog template");
    }
    return *row;
}

}  // namespace trelvo
