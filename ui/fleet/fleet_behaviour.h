#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "fleet/fleet.h"
#include "link/event_loop.h"
#include "ui/fleet/fleet_rows.h"
#include "ui/fleet/fleet_settings.h"
#include "ui/fleet/fleet_view.h"
#include "ui/fleet/update_file_digest.h"

namespace trelvo {

// The Add dialog's texts.
struct AddDialogTexts {
    std::string title;
    std::string prompt;
    std::string openReport;
    std::string ok;
    std::string cancel;
};

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

    static std::string WindowTitle();
    static AddDialogTexts AddTexts();

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
    // The filter and the order afresh.
    void Reshow();
    // After a row's result: rows that leave the filter go, rows that enter
    // it come last; the others keep their places.
    void Refilter();
    void ShowRowOf(int id);
    void ShowSummary();
    void ShowDigest();
    void AddLines(const std::string& lines);
    void AddFromHostsFile(const std::string& path);
    void OpenReport(const std::string& path);
    void Export(const std::string& path);
    // The options as a request; false with a message shown when one is wrong.
    bool ReadRequest(JobGoal goal, UpdateRequest& request, int& parallel);
    bool ReadNumber(FleetControl label, FleetControl control, int least, int most, int& number);
    void StartRun(RunKind kind, std::vector<RecorderTarget> targets, UpdateRequest request,
                  int parallel);
    void StartUpdate(std::vector<int> ids);
    void RowStarted(const RecorderRun& run);
    void RowRetrying(const RecorderTarget& target);
    void RowFinished(const RecorderTarget& target, const RecorderResult& result);
    void Discovered(const RecorderTarget& target, const RecorderResult& result);
    void RunEnded();
    bool InRun(int id) const;
    FleetRow* ShownRow(int row);
    const FleetRow* ShownRow(int row) const;
    std::vector<int> CheckedIds() const;

    FleetView& view_;
    FleetSettings& settings_;
    EventLoop& loop_;
    TickClock& clock_;
    Fleet::LinkFactory makeLinks_;
    std::uint16_t port_;

    FleetRows rows_;
    std::vector<int> shown_;                // row ids in the list's order
    std::unordered_map<int, int> placeOf_;  // row id -> shown row
    int changedFirst_ = 0;                  // the shown rows the tick under way changed
    int changedLast_ = -1;
    int sortColumn_ = -1;
    bool sortAscending_ = true;

    std::string systemHostsPath_;
    std::string folder_;                           // where the file dialogs open
    std::string updatePath_;                       // UTF-8; empty until one is chosen
    std::optional<CheckedUpdateFile> updateFile_;  // once read
    UpdateFileDigest digest_;

    // The run under way, if any, and the one that ended last (kept until
    // the next starts: it ends from inside its own task).
    RunKind runKind_ = RunKind::Probe;
    RunFacts runFacts_;
    Secret runPassword_;
    std::vector<int> runIds_;  // the rows of an update or probe
    std::unique_ptr<RunReporter> reporter_;
    std::unique_ptr<Fleet> run_;
    std::unique_ptr<Fleet> ended_;
    std::unique_ptr<RunReporter> endedReporter_;
    bool closeAfterRun_ = false;
    std::uint64_t discoveryTotal_ = 0;
    std::uint64_t discoveryAsked_ = 0;
    std::uint64_t discoveryFound_ = 0;
};

}  // namespace trelvo
