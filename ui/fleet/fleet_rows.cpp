#include "ui/fleet/fleet_rows.h"

#include <algorithm>
#include <compare>

#include "fleet/target_name.h"
#include "job/job_status_text.h"
#include "link/ipv4_address.h"
#include "localisation/fleet_text.h"
#include "names/host_name.h"
#include "text/operator_text.h"
#include "text/terminal_text.h"

namespace trelvo {
namespace {

constexpr std::string_view kSpace = " \t\r\n";

std::vector<std::string_view> Columns(std::string_view line) {
    std::vector<std::string_view> columns;
    std::size_t at = line.find_first_not_of(kSpace);
    while (at != std::string_view::npos) {
        const std::size_t end = line.find_first_of(kSpace, at);
        columns.push_back(line.substr(at, end - at));
        at = line.find_first_not_of(kSpace, end);
    }
    return columns;
}

bool IsAddress(std::string_view text) {
    return ParseDottedIpv4(std::string(text)).has_value();
}

bool SameName(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

// Multi-line messages in one cell: their lines side by side.
std::string OneLine(std::string text) {
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

std::string StageText(const FleetRow& row) {
    switch (row.stage) {
        case RowStage::Idle:
            return {};
        case RowStage::Waiting:
            return LocalizeFleetText("Wartet");
        case RowStage::Restart:
            return LocalizeFleetText("Wartet auf Neustart");
        case RowStage::Running:
            return ShownStatusText(row.state);
        case RowStage::Finished:
            break;
    }
    switch (row.result->outcome.kind) {
        case Outcome::Skipped:
            return LocalizeFleetText("Übersprungen");
        case Outcome::Verified:
            return LocalizeFleetText("Geprüft");
        case Outcome::Aborted:
            return LocalizeFleetText("Abgebrochen");
        case Outcome::Succeeded:
            return LocalizeFleetText("Aktualisiert");
        case Outcome::Probed:
            // The result says what the probe found.
            return {};
        default:
            return LocalizeFleetText("Fehlgeschlagen");
    }
}

// The order of a column's values: numbers as numbers, texts as shown.
std::partial_ordering Compare(const FleetRow& a, const FleetRow& b, FleetColumn column) {
    switch (column) {
        case FleetColumn::Progress:
            return a.percent <=> b.percent;
        case FleetColumn::Attempts:
            return a.attempts <=> b.attempts;
        case FleetColumn::Address:
            return ParseDottedIpv4(a.address).value_or(0) <=>
                   ParseDottedIpv4(b.address).value_or(0);
        default:
            return CellText(a, column) <=> CellText(b, column);
    }
}

}  // namespace

bool FleetRow::Updated() const {
    return result && resultFacts.goal == JobGoal::Update && result->ok() &&
           result->outcome.kind != Outcome::Skipped;
}

bool FleetRow::Failed() const {
    return result && !result->ok() && !result->aborted();
}

std::string FleetRows::AddLine(std::string_view line) {
    const std::vector<std::string_view> columns = Columns(line);
    if (columns.empty() || columns.front().starts_with('#')) {
        return {};
    }
    const bool withAddress = columns.size() > 1 && IsAddress(columns[0]);
    const std::string_view nameText = withAddress ? columns[1] : columns[0];
    const std::optional<std::string> name = OperatorTextBytes(nameText);
    if (!name || !CheckHostName(*name).none() || (columns.size() > 1 && !withAddress)) {
        return LocalizeFleetText("Die Adresse des Rekorders enthält ungültige Zeichen");
    }
    const std::string address = withAddress        ? std::string(columns[0])
                                : IsAddress(*name) ? *name
                                                   : std::string();
    Add(*name, address);
    return {};
}

int FleetRows::Add(std::string name, std::string address) {
    const auto same = std::find_if(rows_.begin(), rows_.end(), [&](const FleetRow& row) {
        return SameName(row.name, name) || (!address.empty() && row.address == address);
    });
    if (same != rows_.end()) {
        if (same->address.empty()) {
            same->address = std::move(address);
        }
        return same->id;
    }
    FleetRow row;
    row.id = nextId_++;
    row.name = std::move(name);
    row.address = std::move(address);
    // Whoever adds a recorder means to do something with it.
    row.checked = true;
    rows_.push_back(std::move(row));
    return rows_.back().id;
}

void FleetRows::Remove(int id) {
    std::erase_if(rows_, [id](const FleetRow& row) { return row.id == id; });
}

// Ids grow with every row added and removing keeps the order, so the rows
// stay sorted by id: a run looks up every running row on every tick.
FleetRow* FleetRows::Find(int id) {
    const auto found =
        std::lower_bound(rows_.begin(), rows_.end(), id,
                         [](const FleetRow& row, int wanted) { return row.id < wanted; });
    return found == rows_.end() || found->id != id ? nullptr : &*found;
}

const FleetRow* FleetRows::Find(int id) const {
    return const_cast<FleetRows*>(this)->Find(id);
}

std::string AddressIn(const std::string& name) {
    return IsAddress(name) ? name : std::string();
}

bool FilterShows(FleetFilter filter, const FleetRow& row) {
    switch (filter) {
        case FleetFilter::All:
            return true;
        case FleetFilter::Failed:
            return row.Failed();
        case FleetFilter::NotUpdated:
            return !row.Updated();
        case FleetFilter::Updated:
            return row.Updated();
    }
    return true;
}

std::vector<int> ShownIds(const FleetRows& rows, FleetFilter filter, int column, bool ascending) {
    std::vector<const FleetRow*> shown;
    for (const FleetRow& row : rows.all()) {
        if (FilterShows(filter, row)) {
            shown.push_back(&row);
        }
    }
    if (column >= 0 && column < kFleetColumnCount) {
        const auto byColumn = static_cast<FleetColumn>(column);
        std::stable_sort(shown.begin(), shown.end(), [&](const FleetRow* a, const FleetRow* b) {
            const std::partial_ordering order = Compare(*a, *b, byColumn);
            return ascending ? std::is_lt(order) : std::is_gt(order);
        });
    }
    std::vector<int> ids;
    ids.reserve(shown.size());
    for (const FleetRow* row : shown) {
        ids.push_back(row->id);
    }
    return ids;
}

std::string CellText(const FleetRow& row, FleetColumn column) {
    switch (column) {
        case FleetColumn::Recorder:
            return TargetNameText({row.id, row.name, false});
        case FleetColumn::Address:
            return row.address;
        case FleetColumn::Version:
            return row.version ? TerminalSafeWindows1252(*row.version) : std::string();
        case FleetColumn::Accepted:
            return !row.accepted ? std::string() : LocalizeFleetText(*row.accepted ? "ja" : "nein");
        case FleetColumn::Stage:
            return StageText(row);
        case FleetColumn::Progress:
            return row.stage == RowStage::Running && row.state == JobState::Transfer
                       ? std::to_string(row.percent) + " %"
                       : std::string();
        case FleetColumn::Remaining:
            return row.stage == RowStage::Running ? row.remaining : std::string();
        case FleetColumn::Attempts:
            return row.attempts > 0 ? std::to_string(row.attempts) : std::string();
        case FleetColumn::Result:
            return row.stage == RowStage::Finished ? OneLine(row.message) : std::string();
    }
    return {};
}

}  // namespace trelvo
