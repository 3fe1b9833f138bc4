#pragma once

#include <optional>
#include <string>
#include <vector>

#include "text/secret.h"

namespace trelvo {

// The fleet window's controls, in tab order. Labels are controls too: the
// behaviour gives every text, so both views show the same words.
enum class FleetControl : int {
    PasswordLabel,
    Password,
    CodeLabel,
    Code,
    FileLabel,
    File,  // the update file's path, read-only; set through Browse
    Browse,
    Sha256,  // a label: the file's digest
    ParallelLabel,
    Parallel,
    TimeoutLabel,
    Timeout,
    RetriesLabel,
    Retries,
    SkipLabel,
    Skip,
    ExpectLabel,
    Expect,
    Add,
    HostsFile,
    RangeLabel,
    Range,
    Discover,
    FilterLabel,
    Filter,  // a drop-down list: FleetFilter's order
    RecordersLabel,
    Recorders,  // the list
    CheckAll,
    CheckNone,
    CheckNeeded,
    Probe,
    Start,
    Abort,
    RetryFailed,
    Export,
    Exit,
    Summary,  // a label
};
inline constexpr int kFleetControlCount = static_cast<int>(FleetControl::Summary) + 1;

// The list's columns after the check box, in display order.
enum class FleetColumn : int {
    Recorder,
    Address,
    Version,
    Accepted,
    Stage,
    Progress,
    Remaining,
    Attempts,
    Result,
};
inline constexpr int kFleetColumnCount = static_cast<int>(FleetColumn::Result) + 1;

// Which rows the list shows.
enum class FleetFilter : int { All, Failed, NotUpdated, Updated };

// What a row's context menu offers.
enum class RowCommand : int { Abort, Retry, Remove, Copy };

// What the operator gave in the Add dialog: lines of names and addresses,
// or the wish to open a report instead.
struct AddedRecorders {
    std::string lines;  // UTF-8, one recorder per line
    bool openReport = false;
};

// The file dialogs: which kind of file, for the filter and the folder.
enum class FleetFile : int { UpdateFile, HostsFile, Report, ExportReport, ExportCsv };

// What the fleet window's widgets offer the behaviour behind them; every
// text is UTF-8. The list is a view of the behaviour's rows: it asks the
// behaviour for a shown row's cells (FleetBehaviour::Cell and friends)
// and is told when they change.
class FleetView {
public:
    virtual ~FleetView() = default;

    // An edit's text.
    virtual std::string Text(FleetControl control) const = 0;
    // The password's or the code's text, in no other copy the view keeps.
    virtual Secret SecretText(FleetControl control) const = 0;
    // Empties the password or code edit, wiping what it held.
    virtual void ClearSecret(FleetControl control) = 0;
    // A label's, button's or edit's text; '&' marks a mnemonic.
    virtual void SetText(FleetControl control, const std::string& text) = 0;
    virtual void Enable(FleetControl control, bool enable) = 0;
    virtual void SetFocus(FleetControl control) = 0;
    // The filter's entries, and which one is chosen.
    virtual void SetChoices(FleetControl control, const std::vector<std::string>& texts) = 0;
    virtual int Choice(FleetControl control) const = 0;
    virtual void SetChoice(FleetControl control, int index) = 0;

    // The column titles, and which column is sorted which way (-1: none).
    virtual void SetColumnTitles(const std::vector<std::string>& titles) = 0;
    virtual void SetSortIndicator(int column, bool ascending) = 0;
    // The number or the order of the shown rows changed: read them all again.
    virtual void RowsReset() = 0;
    // The values of shown rows first to last (inclusive) changed, in place.
    virtual void RowsChanged(int first, int last) = 0;
    // The shown row that has the list's focus, or -1.
    virtual int CurrentRow() const = 0;

    // A modal file dialog in `folder`; the path chosen, or nothing when
    // the operator cancels. `title` and `filter` ("label|patterns||") come
    // from the behaviour; `save` asks for a new file's name, proposing
    // `proposedName`.
    virtual std::optional<std::string> ChooseFile(FleetFile kind, bool save,
                                                  const std::string& title,
                                                  const std::string& filter,
                                                  const std::string& folder,
                                                  const std::string& proposedName) = 0;
    // The Add dialog: a multi-line edit, OK, Cancel, and a button that asks
    // to open a report; nothing on Cancel.
    virtual std::optional<AddedRecorders> AskRecorders() = 0;
    // A modal yes/no question; Return answers yes, Escape no. Ticks and
    // link notifications go on meanwhile.
    virtual bool Confirm(const std::string& text) = 0;
    // A modal message; ticks go on meanwhile.
    virtual void ShowMessage(const std::string& text) = 0;
    // Puts the text on the clipboard.
    virtual void CopyText(const std::string& text) = 0;
    // Closes the window once the current event is done.
    virtual void CloseWindow() = 0;
};

}  // namespace trelvo
