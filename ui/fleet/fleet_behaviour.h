#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fleet/fleet.h"
#include "link/event_loop.h"
#include "ui/fleet/fleet_rows.h"
#include "ui/fleet/fleet_settings.h"
#include "ui/fleet/fleet_view.h"

namespace trelvo {

// Everything the fleet window decides, whatever draws it: its texts, the
// recorder list with its checks, filter and order, and the runs (probe,
// update, discovery) on the fleet engine. A view calls one handler per
// command and reads the shown rows through RowCount, Checked, Cell and
// Percent; nothing here blocks the view's thread.
class FleetBehaviour final {
public:
    // The loop, clock and settings outlive the behaviour; `port` is where
    // recorders listen, UPDATE_PORT but in tests.
    FleetBehaviour(FleetView& view, FleetSettings& settings, EventLoop& loop, TickClock& clock,
                   Fleet::LinkFactory makeLinks, std::uint16_t port = UPDATE_PORT);
    ~FleetBehaviour();
    FleetBehaviour(const FleetBehaviour&) = delete;
    FleetBehaviour& operator=(const FleetBehaviour&) = delete;

    // Once the controls exist: every text, the remembered options and
    // recorders. `systemHostsPath` is where Hosts file… looks first.
    void OnInit(const std::string& systemHostsPath);

    // The commands, one per control.
    void OnBrowse();
    void OnAdd();
    void OnHostsFile();
    void OnDiscover();
    void OnFilterChange();
    void OnCheckAll();
    void OnCheckNone();
    void OnCheckNeeded();
    void OnProbe();
    void OnStart();
    void OnAbort();
    void OnRetryFailed();
    void OnExport();
    // Exit, the close box, Alt+F4: true when the window may close now.
    // During a run it asks; on yes every job is aborted and the view is
    // told to close (CloseWindow) once each has ended.
    bool OnClose();

    // The list: a click on a column title sorts by it (again: the other
    // way), Space or a click on the box toggles a shown row's check.
    void OnSort(int column);
    void OnToggleCheck(int row);
    void OnRowCommand(int row, RowCommand command);
    bool RowCommandEnabled(int row, RowCommand command) const;
    static std::string RowCommandText(RowCommand command);

    // The shown rows, in the list's order.
    int RowCount() const { return static_cast<int>(shown_.size()); }
    bool Checked(int row) const;
    std::string Cell(int row, FleetColumn column) const;
    // The progress bar's percent, or -1 for a row with no bar.
    int Percent(int row) const;

    // A probe, update or discovery is on.
    bool Running() const { return run_ != nullptr; }
    const FleetRows& rows() const { return rows_; }

private:
    class RunReporter;
    enum class RunKind { Probe, Update, Discovery };

    void SetTexts();
    void LoadSettings();
    void SaveSettings();
    void ApplyInputsEnabled();
    void Reshow();
    void ShowRowOf(int id);
    void ShowSummary();
    void AddLines(const std::string& lines, const std::string& where);
    void OpenReport(const std::string& path);
    bool ReadOptions(UpdateRequest& request, int& parallel);
    void StartRun(RunKind kind, std::vector<int> ids);
    void RunEnded();
    const FleetRow* ShownRow(int row) const;

    FleetView& view_;
    FleetSettings& settings_;
    EventLoop& loop_;
    TickClock& clock_;
    Fleet::LinkFactory makeLinks_;
    std::uint16_t port_;

    FleetRows rows_;
    std::vector<int> shown_;  // row ids in the list's order
    int sortColumn_ = -1;
    bool sortAscending_ = true;

    std::string folder_;      // where the file dialogs open
    std::string updatePath_;  // UTF-8
    std::string sha256_;
    std::shared_ptr<const std::vector<std::uint8_t>> fileBytes_;

    // The run under way, if any.
    RunKind runKind_ = RunKind::Probe;
    Secret runPassword_;
    std::unique_ptr<RunReporter> reporter_;
    std::unique_ptr<Fleet> run_;
    bool closeAfterRun_ = false;
    std::uint64_t discoveryTotal_ = 0;
    std::uint64_t discoveryAsked_ = 0;
    std::uint64_t discoveryFound_ = 0;
};

}  // namespace trelvo
