#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

#include "fleet/fleet.h"
#include "link/posix/steady_tick_clock.h"
#include "names/system_hosts_file.h"
#include "ui/fleet/fleet_settings.h"
#include "ui/fleet/fleet_view.h"
#include "ui/qt/qt_fleet_settings.h"
#include "ui/qt/standard_dialogs.h"

class QWidget;

namespace trelvo {

// Everything the fleet window reaches outside itself, handed to it whole:
// the recorders' links and the clock of its runs, where it remembers, the
// file dialog and message box it runs, and the system's hosts file. Tests
// put fakes or simulators here; all start as the real thing.
struct FleetWindowParts {
    Fleet::LinkFactory makeLinks = RealRecorderLinks;
    std::unique_ptr<TickClock> clock = std::make_unique<SteadyTickClock>();
    std::unique_ptr<FleetSettings> settings = std::make_unique<QtFleetSettings>();
    // The path chosen, or an empty text when the operator cancels.
    std::function<QString(QWidget* parent, FleetFile kind, bool save, const QString& title,
                          const QString& nameFilter, const QString& folder,
                          const QString& proposedName)>
        chooseFile = [](QWidget* parent, FleetFile, bool save, const QString& title,
                        const QString& nameFilter, const QString& folder,
                        const QString& proposedName) {
            return ChooseFileIn(parent, save, title, nameFilter, folder, proposedName);
        };
    std::function<bool(QWidget* parent, const QString& text)> confirm = AskYesNo;
    std::function<void(QWidget* parent, const QString& text)> showMessage = ShowWarning;
    QString hostsPath = QString::fromStdString(SystemHostsFile());
    std::uint16_t port = UPDATE_PORT;
};

}  // namespace trelvo
