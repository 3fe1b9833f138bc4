#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fleet/recorder_run.h"
#include "fleet/reporter.h"
#include "ui/fleet/fleet_view.h"

namespace trelvo {

// Where a row stands beyond the job's own states.
enum class RowStage : int {
    Idle,      // nothing asked yet, or the last run's result below
    Waiting,   // checked into a run, not started yet, or between attempts
    Running,   // the job's state is `state`
    Restart,   // the update is done; waiting for the recorder to come back
    Finished,  // `result` holds how the last run ended
};

// One recorder of the list.
struct FleetRow {
    int id = 0;  // stays while the row lives; the engine's target index
    // The recorder's name in Windows-1252, as the recorders' hosts files
    // hold names, and the address the job connects to when one is known
    // ("192.168.1.20"); empty: the name is looked up.
    std::string name;
    std::string address;
    bool checked = false;

    RowStage stage = RowStage::Idle;
    JobState state = JobState::Idle;
    int percent = 0;
    std::string remaining;  // the update window's format while sending
    int attempts = 0;
    // Of the last probe or update; kept across runs until the next one.
    std::optional<std::string> version;  // Windows-1252, as reported
    std::optional<bool> accepted;
    std::optional<RecorderResult> result;
    RunFacts resultFacts;  // of the run that gave `result`
    std::string message;   // the result's, as the operator reads it

    // What the engine connects to.
    std::string TargetName() const { return address.empty() ? name : address; }
    bool Updated() const;
    bool Failed() const;
};

// The list's rows in the order they were added. A recorder given twice
// (the same name, ASCII letters without case, or the same address) is one
// row.
class FleetRows {
public:
    // A name or address as the operator typed it (UTF-8): a line's first
    // column is an address when a second column follows ("ADDRESS NAME", as
    // hosts files have it), else the one column is both. Empty when added,
    // else why not.
    std::string AddLine(std::string_view line);
    // A name in Windows-1252 read from a file, with its address if known.
    // The row's id, a new one or the one merged with.
    int Add(std::string name, std::string address);
    void Remove(int id);

    FleetRow* Find(int id);
    const FleetRow* Find(int id) const;
    std::vector<FleetRow>& all() { return rows_; }
    const std::vector<FleetRow>& all() const { return rows_; }

private:
    std::vector<FleetRow> rows_;
    int nextId_ = 0;
};

// The name itself when it is a dotted IPv4 address, else empty.
std::string AddressIn(const std::string& name);

// Whether the filter shows the row.
bool FilterShows(FleetFilter filter, const FleetRow& row);

// The shown ids for a filter, sorted by `column` (-1: the order added);
// stable, so equal rows keep their order.
std::vector<int> ShownIds(const FleetRows& rows, FleetFilter filter, int column, bool ascending);

// A cell's text as the list shows it (UTF-8, localised).
std::string CellText(const FleetRow& row, FleetColumn column);

}  // namespace trelvo
