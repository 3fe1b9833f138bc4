#pragma once

#include <optional>
#include <string>

#include "text/secret.h"
#include "ui/behaviour/dialog_template.h"

namespace trelvo {

// The file the operator picked in the file dialog.
struct ChosenFile {
    std::string name;    // without its folder
    std::string folder;  // where it lies
};

// What the window's widgets offer the behaviour behind them, control by
// control id: whatever the toolkit, a window is a thin view of this shape.
// Every text crossing it is UTF-8; the behaviour alone turns what goes to a
// recorder into the recorders' code page.
class DialogView {
public:
    virtual ~DialogView() = default;

    // The text of an edit, or of a combo box's edit field.
    virtual std::string Text(ControlId id) const = 0;
    // The text of the password or update-code edit, held where it is
    // wiped, and in no other copy the view leaves behind.
    virtual Secret SecretText(ControlId id) const = 0;
    // A label's, button's or edit's text.
    virtual void SetText(ControlId id, const std::string& text) = 0;
    virtual void Enable(ControlId id, bool enable) = 0;
    // The progress bar's position, 0 to 100.
    virtual void SetProgress(int position) = 0;

    // The control that has the window's keyboard focus, if any has.
    virtual std::optional<ControlId> FocusedControl() const = 0;
    virtual void SetFocus(ControlId id) = 0;

    // The combo boxes' lists.
    virtual void ClearList(ControlId id) = 0;
    virtual void AppendToList(ControlId id, const std::string& text) = 0;
    virtual int ListCount(ControlId id) const = 0;
    // Selects an entry and shows its text in the edit field; -1 selects
    // nothing and empties the field.
    virtual void Select(ControlId id, int index) = 0;
    // The selected entry, or -1.
    virtual int Selected(ControlId id) const = 0;

    // Runs the file-open dialog with a filter in the "label|patterns||"
    // form; nothing when the operator cancels.
    virtual std::optional<ChosenFile> ChooseFile(const std::string& title,
                                                 const std::string& filter) = 0;
    // Makes the folder the process's current folder, where the job opens
    // the update file by its bare name.
    virtual void MakeCurrentFolder(const std::string& folder) = 0;
    // Shows a modal message box and returns once the operator has confirmed
    // it; ticks and link notifications go on meanwhile.
    virtual void ShowMessage(const std::string& text) = 0;
    // Closes the window once the current event is done, as a posted close
    // does; that close comes back as a cancel.
    virtual void PostClose() = 0;
    // Ends the window with the cancel result.
    virtual void EndDialog() = 0;
};

}  // namespace trelvo
