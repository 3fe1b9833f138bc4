#pragma once

#include <QWidget>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "ui/behaviour/dialog_view.h"
#include "ui/qt/dialog_parts.h"

namespace trelvo {

// The update window's widgets, as the behaviour behind them sees them.
// Every text is converted between the widgets' QString and the behaviour's
// UTF-8 here and nowhere else.
class QtDialogView final : public DialogView {
public:
    // `controls` is filled by the window as it makes its widgets; the view
    // only reads it. `parts` gives the modal dialogs the view runs.
    QtDialogView(QWidget& dialog, const std::map<ControlId, QWidget*>& controls, DialogParts& parts,
                 std::function<void()> endDialog);

    std::string Text(ControlId id) const override;
    Secret SecretText(ControlId id) const override;
    void SetText(ControlId id, const std::string& text) override;
    void Enable(ControlId id, bool enable) override;
    void SetProgress(int position) override;
    std::optional<ControlId> FocusedControl() const override;
    void SetFocus(ControlId id) override;
    void ClearList(ControlId id) override;
    void AppendToList(ControlId id, const std::string& text) override;
    int ListCount(ControlId id) const override;
    void Select(ControlId id, int index) override;
    int Selected(ControlId id) const override;
    std::optional<ChosenFile> ChooseFile(const std::string& title,
                                         const std::string& filter) override;
    void MakeCurrentFolder(const std::string& folder) override;
    void ShowMessage(const std::string& text) override;
    void PostClose() override;
    void EndDialog() override;

private:
    QWidget* Control(ControlId id) const { return controls_.at(id); }

    QWidget& dialog_;
    const std::map<ControlId, QWidget*>& controls_;
    DialogParts& parts_;
    std::function<void()> endDialog_;
};

}  // namespace trelvo
