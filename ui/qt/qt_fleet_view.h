#pragma once

#include <QWidget>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ui/fleet/fleet_view.h"
#include "ui/qt/fleet_list_model.h"
#include "ui/qt/fleet_table_view.h"
#include "ui/qt/fleet_window_parts.h"

namespace trelvo {

// The fleet window's widgets as the behaviour sees them. Every text is
// converted between the widgets' QString and the behaviour's UTF-8 here
// and nowhere else; paths between QString and the file system's bytes.
class QtFleetView final : public FleetView {
public:
    // `controls` is filled by the window as it makes its widgets; the view
    // only reads it.
    QtFleetView(QWidget& window, const std::map<FleetControl, QWidget*>& controls,
                FleetListModel& model, FleetTableView& table, FleetWindowParts& parts);

    std::string Text(FleetControl control) const override;
    Secret SecretText(FleetControl control) const override;
    void ClearSecret(FleetControl control) override;
    void SetText(FleetControl control, const std::string& text) override;
    void Enable(FleetControl control, bool enable) override;
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

    // Counts the list's resets: a row number taken before one may name
    // another recorder after it.
    int resets() const { return resets_; }

private:
    QWidget* Control(FleetControl control) const { return controls_.at(control); }

    QWidget& window_;
    const std::map<FleetControl, QWidget*>& controls_;
    FleetListModel& model_;
    FleetTableView& table_;
    FleetWindowParts& parts_;
    int resets_ = 0;
};

}  // namespace trelvo
