#include "app/qt/update_app.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <utility>

#include "ui/qt/update_dialog.h"

namespace trelvo {

ToolkitArguments::ToolkitArguments(int argc, char** argv)
    : name_(argc > 0 && argv[0] != nullptr ? argv[0] : "trelvo"), argv_{name_.data(), nullptr} {}

bool SocketLayerReady() {
    const int probe = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0) {
        return false;
    }
    close(probe);
    return true;
}

UpdateApp::UpdateApp(std::function<bool()> socketLayerReady,
                     std::function<void(QWidget*, const QString&)> showMessage,
                     std::function<DialogParts()> dialogParts)
    : socketLayerReady_(std::move(socketLayerReady)),
      showMessage_(std::move(showMessage)),
      dialogParts_(std::move(dialogParts)) {}

void UpdateApp::InitInstance() {
    if (!socketLayerReady_()) {
        // German on every system: this text has no row in the table.
        showMessage_(nullptr, QStringLiteral("Fehler beim Initialisieren der Windows-Sockets."));
        return;
    }
    UpdateDialog dialog(dialogParts_());
    dialog.exec();
}

}  // namespace trelvo
