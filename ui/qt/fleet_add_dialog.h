#pragma once

#include <QDialog>
#include <QString>
#include <optional>

#include "ui/fleet/fleet_view.h"

class QPlainTextEdit;

namespace trelvo {

// The Add dialog's words, from the behaviour's table of texts.
struct FleetAddTexts {
    QString title;
    QString prompt;
    QString openReport;
    QString ok;
    QString cancel;
};

// Asks for recorders, one name or address a line, or for a report to open
// instead. Return in the edit starts a new line; OK takes the lines.
class FleetAddDialog final : public QDialog {
    Q_OBJECT

public:
    FleetAddDialog(const FleetAddTexts& texts, QWidget* parent);

    // Runs the dialog modally: the lines, the wish for a report, or nothing
    // on Cancel.
    std::optional<AddedRecorders> Ask();

private:
    static constexpr int kOpenReport = 2;

    QPlainTextEdit* lines_;
};

}  // namespace trelvo
