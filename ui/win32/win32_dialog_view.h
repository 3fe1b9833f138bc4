#pragma once

#include <optional>
#include <string>

#include "ui/behaviour/dialog_view.h"
#include "ui/win32/win32_api.h"

namespace trelvo {

// The update window's controls, made from dialog template 102, as the
// behaviour behind them sees them. Every text is converted between the
// controls' UTF-16 and the behaviour's UTF-8 here and nowhere else.
class Win32DialogView final : public DialogView {
public:
    explicit Win32DialogView(HWND dialog) : dialog_(dialog) {}

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
    HWND Control(ControlId id) const { return GetDlgItem(dialog_, id); }
    std::wstring WideText(ControlId id) const;

    HWND dialog_;
};

}  // namespace trelvo
