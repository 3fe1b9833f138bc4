#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

#include "job/job_environment.h"
#include "job/links.h"
#include "job/update_job.h"
#include "link/posix/steady_tick_clock.h"
#include "names/hosts_name_reader.h"
#include "names/system_hosts_file.h"
#include "ui/qt/standard_dialogs.h"

class QWidget;

namespace trelvo {

// Everything the update dialog reaches outside itself, handed to it whole at
// construction: the links and clock its job uses, the two modal dialogs it
// runs, and the two places it takes from the system. Tests put fakes here;
// all but the links start as the real thing.
struct DialogParts {
    std::unique_ptr<NetLinkInterface> net;
    std::unique_ptr<SerialLinkInterface> serial;
    std::unique_ptr<TickClock> clock = std::make_unique<SteadyTickClock>();
    // Asks the operator for an update file and returns its path, or an empty
    // text when the operator cancels.
    std::function<QString(QWidget* parent, const QString& title, const QString& nameFilter)>
        chooseFile = ChooseUpdateFile;
    // Shows a message and returns once the operator has confirmed it.
    std::function<void(QWidget* parent, const QString& text)> showMessage = ShowWarning;
    // The platform's LMHOSTS file, read once at set-up.
    QString hostsPath = QString::fromStdString(SystemHostsFile());
    std::uint16_t port = UPDATE_PORT;
};

// The parts with the real network and serial links.
DialogParts StandardDialogParts();

}  // namespace trelvo
