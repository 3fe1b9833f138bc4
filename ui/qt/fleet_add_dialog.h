#pragma once

#include <QDialog>
#include <QString>
#include <optional>

#include "ui/fleet/fleet_view.h"

class QPlainTextEdit;

#include "ui/fleet/fleet_behaviour.h"

namespace trelvo {

// Asks for recorders, one name or address a line, or for a report to open
// instead. Return in the edit starts a new line; OK takes the lines.
class FleetAddDialog final : public QDialog {
    Q_OBJECT

public:
    FleetAddDialog(const AddDialogTexts& texts, QWidget* parent);

    // Runs the dialog modally: the lines, the wish for a report, or nothing
    // on Cancel.
    std::optional<AddedRecorders> Ask();

private:
    static constexpr int kOpenReport = 2;

    QPlainTextEdit* lines_;
};

}  // namespace trelvo
