#pragma once

#include <QString>

class QWidget;

// The toolkit's own modal dialogs as the window uses them. Each runs an
// event loop of its own, in which the window's timer and the link's socket
// notifications keep arriving.
namespace trelvo {

// The caption of every message box: the executable's file name without its
// extension, so a renamed program shows its new name.
QString ApplicationName();

// A modal box with the warning icon and one OK button; returns once the
// operator has confirmed it.
void ShowWarning(QWidget* parent, const QString& text);

// A file-open dialog starting in the current folder; returns the chosen
// path, or an empty text when the operator cancels. A typed name need not
// exist: the update job reports a missing file itself.
QString ChooseUpdateFile(QWidget* parent, const QString& title, const QString& nameFilter);

// A file dialog in `folder`, to open a file or (`save`) to name a new one,
// proposing `proposedName`; the chosen path, or an empty text on cancel.
QString ChooseFileIn(QWidget* parent, bool save, const QString& title, const QString& nameFilter,
                     const QString& folder, const QString& proposedName);

// A yes/no question: Return answers yes, Escape no.
bool AskYesNo(QWidget* parent, const QString& text);

}  // namespace trelvo
