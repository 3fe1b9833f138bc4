#include "ui/qt/dialog_parts.h"

#include "link/net_link.h"
#include "link/serial_link.h"

namespace trelvo {

DialogParts StandardDialogParts() {
    DialogParts parts;
    parts.net = std::make_unique<NetLink>();
    parts.serial = std::make_unique<SerialLink>();
    return parts;
}

}  // namespace trelvo
