#pragma once

#include <optional>
#include <string>
#include <vector>

#include "ui/fleet/fleet_view.h"
#include "ui/win32/win32_api.h"
#include "ui/win32/win32_fleet_list.h"

namespace trelvo {

// The fleet window's controls, made from dialog template 140, as the
// behaviour behind them sees them. Texts cross between the controls'
// UTF-16 and the behaviour's UTF-8 here.
class Win32FleetView final : public FleetView {
public:
    explicit Win32FleetView(HWND dialog);

    static int ControlId(FleetControl control) { return 2000 + static_cast<int>(control); }
    HWND Control(FleetControl control) const { return GetDlgItem(dialog_, ControlId(control)); }
    Win32FleetList& list() { return list_; }

    std::string Text(FleetControl control) const override;
    Secret SecretText(FleetControl control) const override;
    void ClearSecret(FleetControl control) override;
    void SetText(FleetControl control, const std::string& text) override;
    void Enable(FleetControl control, bool enable) override;
    void SetFocus(FleetControl control) override;
    void SetChoices(FleetControl control, const std::vector<std::string>& texts) override;
    int Choice(FleetControl control) const override;
    void SetChoice(FleetControl control, int index) override;

    void SetColumnTitles(const std::vector<std::string>& titles) override;
    void SetSortIndicator(int column, bool ascending) override;
    void RowsReset() override;
    void RowsChanged(int first, int last) override;
    int CurrentRow() const override;

    std::optional<std::string> ChooseFile(FleetFile kind, bool save, const std::string& title,
                                          const std::string& filter, const std::string& folder,
                                          const std::string& proposedName) override;
    std::optional<AddedRecorders> AskRecorders() override;
    bool Confirm(const std::string& text) override;
    void ShowMessage(const std::string& text) override;
    void CopyText(const std::string& text) override;
    void CloseWindow() override;

private:
    std::wstring WideText(FleetControl control) const;

    HWND dialog_;
    Win32FleetList list_;
};

}  // namespace trelvo
