#include "ui/fleet/fleet_behaviour.h"

#include <algorithm>
#include <charconv>
#include <nlohmann/json.hpp>

#include "fleet/address_range.h"
#include "fleet/atomic_file.h"
#include "fleet/report_file.h"
#include "fleet/target_name.h"
#include "localisation/fleet_text.h"
#include "names/hosts_name_reader.h"
#include "text/operator_text.h"
#include "text/windows1252_text.h"
#include "trelvo_version.h"
#include "ui/behaviour/dialog_behaviour.h"
#include "ui/fleet/fleet_export.h"

namespace trelvo {
namespace {

// As the command line's discover: short time-outs, many addresses at once.
constexpr int kDiscoverParallel = 256;
constexpr std::uint32_t kDiscoverTimeoutMs = 1000;

// The labels and buttons, German with their mnemonics.
constexpr std::pair<FleetControl, const char*> kControlTexts[] = {
    {FleetControl::PasswordLabel, "Administrator &Passwort:"},
    {FleetControl::CodeLabel, "&Update Code:"},
    {FleetControl::FileLabel, "Update&datei:"},
    {FleetControl::Browse, "..."},
    {FleetControl::ParallelLabel, "&Gleichzeitig:"},
    {FleetControl::TimeoutLabel, "&Zeitlimit (s):"},
    {FleetControl::RetriesLabel, "&Wiederholungen:"},
    {FleetControl::SkipLabel, "Version &überspringen:"},
    {FleetControl::ExpectLabel, "Erwartete &Version:"},
    {FleetControl::Add, "&Hinzufügen…"},
    {FleetControl::HostsFile, "H&osts-Datei…"},
    {FleetControl::RangeLabel, "&Bereich:"},
    {FleetControl::Discover, "Su&chen"},
    {FleetControl::FilterLabel, "&Filter:"},
    {FleetControl::RecordersLabel, "&Rekorder:"},
    {FleetControl::CheckAll, "A&lle"},
    {FleetControl::CheckNone, "&Keine"},
    {FleetControl::CheckNeeded, "Update &nötig"},
    {FleetControl::Probe, "Prüf&en"},
    {FleetControl::Start, "&Start"},
    {FleetControl::Abort, "&Abbrechen"},
    {FleetControl::RetryFailed, "Fehlgeschlagene w&iederholen"},
    {FleetControl::Export, "E&xportieren…"},
    {FleetControl::Exit, "Beenden"},
};

constexpr const char* kColumnTitles[kFleetColumnCount] = {
    "Rekorder",    "Adresse",  "Version",  "Zugelassen", "Stufe",
    "Fortschritt", "Restzeit", "Versuche", "Ergebnis",
};

// Off while a run goes on: what would change the run or the list.
constexpr FleetControl kRunInputs[] = {
    FleetControl::Password, FleetControl::Code,        FleetControl::Browse, FleetControl::Parallel,
    FleetControl::Timeout,  FleetControl::Retries,     FleetControl::Skip,   FleetControl::Expect,
    FleetControl::Add,      FleetControl::HostsFile,   FleetControl::Range,  FleetControl::Discover,
    FleetControl::Probe,    FleetControl::RetryFailed,
};

// "%1", "%2" ... of a localised text filled in.
std::string Filled(std::string text, const std::vector<std::string>& values) {
    for (std::size_t i = values.size(); i-- > 0;) {
        std::string mark = "%";
        mark += std::to_string(i + 1);
        for (std::size_t at = text.find(mark); at != std::string::npos;
             at = text.find(mark, at + values[i].size())) {
            text.replace(at, mark.size(), values[i]);
        }
    }
    return text;
}

std::string Localized(std::string_view german, const std::vector<std::string>& values = {}) {
    return Filled(LocalizeFleetText(german), values);
}

// A label as a message names it: without its mnemonic and colon.
std::string LabelName(std::string_view german) {
    std::string text = LocalizeFleetText(german);
    std::erase(text, '&');
    if (text.ends_with(':')) {
        text.pop_back();
    }
    return text;
}

std::string LabelOf(FleetControl control) {
    for (const auto& [id, text] : kControlTexts) {
        if (id == control) {
            return LabelName(text);
        }
    }
    return {};
}

std::string FileNameOf(const std::string& path) {
    const std::size_t folderEnd = path.find_last_of("/\\");
    return folderEnd == std::string::npos ? path : path.substr(folderEnd + 1);
}

std::string FolderOf(const std::string& path) {
    const std::size_t folderEnd = path.find_last_of("/\\");
    return folderEnd == std::string::npos ? std::string() : path.substr(0, folderEnd);
}

bool EndsWithCsv(const std::string& path) {
    if (path.size() < 4) {
        return false;
    }
    std::string end = path.substr(path.size() - 4);
    std::transform(end.begin(), end.end(), end.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
    return end == ".csv";
}

}  // namespace

// Carries the engine's news about each recorder to the behaviour.
class FleetBehaviour::RunReporter final : public Reporter {
public:
    explicit RunReporter(FleetBehaviour& owner) : owner_(owner) {}

    // The rows a tick changed go to the view in one span: with a thousand
    // recorders running, one note a row cost more than the run.
    void Ticked(std::span<RecorderRun* const> running) override {
        owner_.changedFirst_ = owner_.RowCount();
        owner_.changedLast_ = -1;
        for (const RecorderRun* run : running) {
            owner_.RowStarted(*run);
        }
        if (owner_.changedFirst_ <= owner_.changedLast_) {
            owner_.view_.RowsChanged(owner_.changedFirst_, owner_.changedLast_);
        }
    }
    void Finished(const RecorderTarget& target, const RecorderResult& result) override {
        if (owner_.runKind_ == RunKind::Discovery) {
            owner_.Discovered(target, result);
        } else {
            owner_.RowFinished(target, result);
        }
    }
    void Retrying(const RecorderTarget& target, const RecorderResult&, std::uint32_t) override {
        owner_.RowRetrying(target);
    }

private:
    FleetBehaviour& owner_;
};

FleetBehaviour::FleetBehaviour(FleetView& view, FleetSettings& settings, EventLoop& loop,
                               TickClock& clock, Fleet::LinkFactory makeLinks, std::uint16_t port)
    : view_(view),
      settings_(settings),
      loop_(loop),
      clock_(clock),
      makeLinks_(std::move(makeLinks)),
      port_(port),
      digest_(loop) {}

FleetBehaviour::~FleetBehaviour() = default;

std::string FleetBehaviour::WindowTitle() {
    return std::string("Trelvo Fleet  v") + TRELVO_VERSION;
}

AddDialogTexts FleetBehaviour::AddTexts() {
    return {Localized("Rekorder hinzufügen"), Localized("Namen oder Adressen, einer je Zeile:"),
            Localized("&Bericht öffnen…"), Localized("OK"), Localized("Abbruch")};
}

void FleetBehaviour::OnInit(const std::string& systemHostsPath) {
    systemHostsPath_ = systemHostsPath;
    folder_ = FolderOf(systemHostsPath);
    SetTexts();
    LoadSettings();
    Reshow();
    ApplyInputsEnabled();
    ShowSummary();
}

void FleetBehaviour::SetTexts() {
    for (const auto& [control, text] : kControlTexts) {
        view_.SetText(control, LocalizeFleetText(text));
    }
    view_.SetChoices(FleetControl::Filter,
                     {Localized("Alle"), Localized("Fehlgeschlagen"),
                      Localized("Nicht aktualisiert"), Localized("Aktualisiert")});
    view_.SetChoice(FleetControl::Filter, 0);
    std::vector<std::string> titles;
    for (const char* title : kColumnTitles) {
        titles.push_back(Localized(title));
    }
    view_.SetColumnTitles(titles);
    view_.SetSortIndicator(-1, true);
    ShowDigest();
}

void FleetBehaviour::LoadSettings() {
    const auto text = [this](const char* key, FleetControl control, const char* otherwise) {
        view_.SetText(control, settings_.Value(key).value_or(otherwise));
    };
    text("parallel", FleetControl::Parallel, "20");
    text("timeout", FleetControl::Timeout, "30");
    text("retries", FleetControl::Retries, "0");
    text("skip_version", FleetControl::Skip, "");
    text("expect_version", FleetControl::Expect, "");
    text("range", FleetControl::Range, "");
    if (const std::optional<std::string> folder = settings_.Value("folder")) {
        folder_ = *folder;
    }
    // Written by this window, but a settings file can be edited by anyone.
    const nlohmann::json recorders =
        nlohmann::json::parse(settings_.Value("recorders").value_or("[]"), nullptr, false);
    if (!recorders.is_array()) {
        return;
    }
    for (const nlohmann::json& entry : recorders) {
        if (!entry.is_array() || entry.size() != 2 || !entry[0].is_string() ||
            !entry[1].is_string()) {
            continue;
        }
        const std::optional<std::string> name =
            TargetNameBytes(entry[0].get_ref<const std::string&>(), false);
        const std::string& address = entry[1].get_ref<const std::string&>();
        if (name && CheckHostName(*name).none() &&
            CheckOperatorText(address) == TextRefusal::None) {
            rows_.Add(*name, address);
        }
    }
}

void FleetBehaviour::SaveSettings() {
    settings_.SetValue("parallel", view_.Text(FleetControl::Parallel));
    settings_.SetValue("timeout", view_.Text(FleetControl::Timeout));
    settings_.SetValue("retries", view_.Text(FleetControl::Retries));
    settings_.SetValue("skip_version", view_.Text(FleetControl::Skip));
    settings_.SetValue("expect_version", view_.Text(FleetControl::Expect));
    settings_.SetValue("range", view_.Text(FleetControl::Range));
    settings_.SetValue("folder", folder_);
    nlohmann::json recorders = nlohmann::json::array();
    for (const FleetRow& row : rows_.all()) {
        recorders.push_back({TargetNameText({row.id, row.name, false}), row.address});
    }
    settings_.SetValue("recorders", recorders.dump());
}

void FleetBehaviour::ApplyInputsEnabled() {
    const bool idle = !Running();
    for (const FleetControl control : kRunInputs) {
        view_.Enable(control, idle);
    }
    view_.Enable(FleetControl::Start, idle && updateFile_ && updateFile_->sha256);
    view_.Enable(FleetControl::Abort, !idle);
}

void FleetBehaviour::ShowDigest() {
    std::string text = "SHA-256: ";
    if (updateFile_ && updateFile_->sha256) {
        text += *updateFile_->sha256;
    } else if (!updatePath_.empty() && !updateFile_) {
        text += Localized("SHA-256 wird berechnet…");
    }
    view_.SetText(FleetControl::Sha256, text);
}

// ----- the list -----

void FleetBehaviour::Reshow() {
    shown_ =
        ShownIds(rows_, static_cast<FleetFilter>(std::max(view_.Choice(FleetControl::Filter), 0)),
                 sortColumn_, sortAscending_);
    placeOf_.clear();
    for (std::size_t place = 0; place < shown_.size(); ++place) {
        placeOf_[shown_[place]] = static_cast<int>(place);
    }
    view_.RowsReset();
    ShowSummary();
}

void FleetBehaviour::Refilter() {
    const auto filter = static_cast<FleetFilter>(std::max(view_.Choice(FleetControl::Filter), 0));
    if (filter == FleetFilter::All) {
        return;
    }
    std::vector<int> shown;
    for (const int id : shown_) {
        if (const FleetRow* row = rows_.Find(id); row && FilterShows(filter, *row)) {
            shown.push_back(id);
        }
    }
    for (const int id : ShownIds(rows_, filter, sortColumn_, sortAscending_)) {
        if (!placeOf_.contains(id)) {
            shown.push_back(id);
        }
    }
    if (shown == shown_) {
        return;
    }
    shown_ = std::move(shown);
    placeOf_.clear();
    for (std::size_t place = 0; place < shown_.size(); ++place) {
        placeOf_[shown_[place]] = static_cast<int>(place);
    }
    view_.RowsReset();
}

void FleetBehaviour::ShowRowOf(int id) {
    if (const auto place = placeOf_.find(id); place != placeOf_.end()) {
        view_.RowsChanged(place->second, place->second);
    }
}

void FleetBehaviour::ShowSummary() {
    if (Running() && runKind_ == RunKind::Discovery) {
        view_.SetText(FleetControl::Summary,
                      Localized("%1 von %2 Adressen gefragt, %3 Rekorder gefunden",
                                {std::to_string(discoveryAsked_), std::to_string(discoveryTotal_),
                                 std::to_string(discoveryFound_)}));
        return;
    }
    int updated = 0;
    int skipped = 0;
    int failed = 0;
    int aborted = 0;
    int running = 0;
    for (const FleetRow& row : rows_.all()) {
        if (row.stage == RowStage::Waiting || row.stage == RowStage::Running ||
            row.stage == RowStage::Restart) {
            ++running;
        } else if (row.Updated()) {
            ++updated;
        } else if (row.result && row.result->outcome.kind == Outcome::Skipped) {
            ++skipped;
        } else if (row.Failed()) {
            ++failed;
        } else if (row.result && row.result->aborted()) {
            ++aborted;
        }
    }
    view_.SetText(
        FleetControl::Summary,
        Localized("%1 aktualisiert, %2 übersprungen, %3 fehlgeschlagen, %4 abgebrochen, "
                  "%5 laufen",
                  {std::to_string(updated), std::to_string(skipped), std::to_string(failed),
                   std::to_string(aborted), std::to_string(running)}));
}

const FleetRow* FleetBehaviour::ShownRow(int row) const {
    if (row < 0 || row >= RowCount()) {
        return nullptr;
    }
    return rows_.Find(shown_[static_cast<std::size_t>(row)]);
}

FleetRow* FleetBehaviour::ShownRow(int row) {
    return const_cast<FleetRow*>(std::as_const(*this).ShownRow(row));
}

bool FleetBehaviour::Checked(int row) const {
    const FleetRow* shown = ShownRow(row);
    return shown != nullptr && shown->checked;
}

std::string FleetBehaviour::Cell(int row, FleetColumn column) const {
    const FleetRow* shown = ShownRow(row);
    return shown != nullptr ? CellText(*shown, column) : std::string();
}

int FleetBehaviour::Percent(int row) const {
    const FleetRow* shown = ShownRow(row);
    return shown != nullptr && shown->stage == RowStage::Running &&
                   shown->state == JobState::Transfer
               ? shown->percent
               : -1;
}

void FleetBehaviour::OnSort(int column) {
    if (column < 0 || column >= kFleetColumnCount) {
        return;
    }
    sortAscending_ = column == sortColumn_ ? !sortAscending_ : true;
    sortColumn_ = column;
    view_.SetSortIndicator(sortColumn_, sortAscending_);
    Reshow();
}

void FleetBehaviour::OnFilterChange() {
    Reshow();
}

void FleetBehaviour::OnToggleCheck(int row) {
    if (FleetRow* shown = ShownRow(row)) {
        shown->checked = !shown->checked;
        view_.RowsChanged(row, row);
    }
}

void FleetBehaviour::OnCheckAll() {
    for (const int id : shown_) {
        rows_.Find(id)->checked = true;
    }
    view_.RowsReset();
}

void FleetBehaviour::OnCheckNone() {
    for (FleetRow& row : rows_.all()) {
        row.checked = false;
    }
    view_.RowsReset();
}

void FleetBehaviour::OnCheckNeeded() {
    const std::optional<std::string> skip = OperatorTextBytes(view_.Text(FleetControl::Skip));
    for (FleetRow& row : rows_.all()) {
        row.checked = row.version && row.accepted.value_or(false) &&
                      (!skip || skip->empty() || *row.version != *skip);
    }
    view_.RowsReset();
}

std::vector<int> FleetBehaviour::CheckedIds() const {
    std::vector<int> ids;
    for (const FleetRow& row : rows_.all()) {
        if (row.checked) {
            ids.push_back(row.id);
        }
    }
    return ids;
}

bool FleetBehaviour::InRun(int id) const {
    if (!Running() || runKind_ == RunKind::Discovery) {
        return false;
    }
    const FleetRow* row = rows_.Find(id);
    return row != nullptr && row->stage != RowStage::Finished &&
           std::find(runIds_.begin(), runIds_.end(), id) != runIds_.end();
}

std::string FleetBehaviour::RowCommandText(RowCommand command) {
    switch (command) {
        case RowCommand::Abort:
            return Localized("Abbrechen");
        case RowCommand::Retry:
            return Localized("Erneut");
        case RowCommand::Remove:
            return Localized("Entfernen");
        case RowCommand::Copy:
            return Localized("Kopieren");
    }
    return {};
}

bool FleetBehaviour::RowCommandEnabled(int row, RowCommand command) const {
    const FleetRow* shown = ShownRow(row);
    if (shown == nullptr) {
        return false;
    }
    switch (command) {
        case RowCommand::Abort:
            return InRun(shown->id);
        case RowCommand::Retry:
            return !Running() && updateFile_ && updateFile_->sha256;
        case RowCommand::Remove:
            return !Running();
        case RowCommand::Copy:
            return true;
    }
    return false;
}

void FleetBehaviour::OnRowCommand(int row, RowCommand command) {
    if (!RowCommandEnabled(row, command)) {
        return;
    }
    const FleetRow& shown = *ShownRow(row);
    switch (command) {
        case RowCommand::Abort:
            run_->Abort(shown.id);
            break;
        case RowCommand::Retry:
            StartUpdate({shown.id});
            break;
        case RowCommand::Remove:
            rows_.Remove(shown.id);
            Reshow();
            break;
        case RowCommand::Copy: {
            std::string text;
            for (int column = 0; column < kFleetColumnCount; ++column) {
                text += column == 0 ? "" : "\t";
                text += CellText(shown, static_cast<FleetColumn>(column));
            }
            view_.CopyText(text);
            break;
        }
    }
}

// ----- adding recorders -----

void FleetBehaviour::OnAdd() {
    const std::optional<AddedRecorders> added = view_.AskRecorders();
    if (!added) {
        return;
    }
    if (added->openReport) {
        if (const std::optional<std::string> path = view_.ChooseFile(
                FleetFile::Report, false, Localized("Bericht öffnen"),
                Localized("Berichte (*.jsonl)|*.jsonl;*.json|Alle Dateien|*||"), folder_, {})) {
            folder_ = FolderOf(*path);
            OpenReport(*path);
        }
        return;
    }
    AddLines(added->lines);
}

void FleetBehaviour::AddLines(const std::string& lines) {
    std::string problems;
    int number = 0;
    std::size_t at = 0;
    while (at <= lines.size()) {
        const std::size_t end = std::min(lines.find('\n', at), lines.size());
        ++number;
        if (const std::string problem = rows_.AddLine(std::string_view(lines).substr(at, end - at));
            !problem.empty()) {
            problems += Localized("Zeile %1: %2", {std::to_string(number), problem}) + '\n';
        }
        at = end + 1;
    }
    Reshow();
    if (!problems.empty()) {
        problems.pop_back();
        view_.ShowMessage(problems);
    }
}

void FleetBehaviour::OnHostsFile() {
    const std::optional<std::string> path =
        view_.ChooseFile(FleetFile::HostsFile, false, Localized("Hosts-Datei wählen"),
                         Localized("Hosts-Dateien|hosts;lmhosts;*.txt;*.sam|Alle Dateien|*||"),
                         FolderOf(systemHostsPath_), FileNameOf(systemHostsPath_));
    if (path) {
        AddFromHostsFile(*path);
    }
}

void FleetBehaviour::AddFromHostsFile(const std::string& path) {
    HostsNameReader reader;
    reader.BuildTable();
    const TableTokenizer::ParseEnd end = reader.ReadFile(path);
    if (end == TableTokenizer::ParseEnd::CannotOpen) {
        view_.ShowMessage(Localized("%1 kann nicht gelesen werden", {path}));
        return;
    }
    // The file's own address goes first: a name of a file the operator
    // picked is not one the system's resolver knows.
    for (std::size_t i = 0; i < reader.names().size(); ++i) {
        const std::string& name = reader.names()[i];
        if (!name.empty()) {
            const std::string address = AddressIn(reader.addresses()[i]);
            rows_.Add(name, address.empty() ? AddressIn(name) : address);
        }
    }
    Reshow();
    if (end == TableTokenizer::ParseEnd::TooLarge || !reader.refused().empty()) {
        view_.ShowMessage(Localized("%1 kann nicht gelesen werden", {path}) + "\n" +
                          (reader.refused().empty()
                               ? std::string()
                               : Windows1252ToUtf8(reader.refused().front().start) + ": " +
                                     LocalizeFleetText("Die Adresse des Rekorders enthält "
                                                       "ungültige Zeichen")));
    }
}

void FleetBehaviour::OpenReport(const std::string& path) {
    std::vector<ReportedRecorder> recorders;
    std::string problem;
    if (!ReadReport(path, recorders, problem)) {
        view_.ShowMessage(problem);
        return;
    }
    for (const ReportedRecorder& recorder : recorders) {
        AddReported(rows_, recorder);
    }
    Reshow();
}

void FleetBehaviour::OnDiscover() {
    std::vector<std::string> texts;
    const std::string range = view_.Text(FleetControl::Range);
    std::size_t at = range.find_first_not_of(" ,;\t");
    while (at != std::string::npos) {
        const std::size_t end = range.find_first_of(" ,;\t", at);
        texts.push_back(range.substr(at, end - at));
        at = range.find_first_not_of(" ,;\t", end);
    }
    const AddressRanges ranges = ParseAddressRanges(texts);
    if (!ranges.ok() || ranges.count == 0) {
        view_.ShowMessage(LabelOf(FleetControl::RangeLabel) + ": " +
                          (ranges.ok() ? std::string("192.168.1.0/24") : ranges.error));
        return;
    }
    std::vector<RecorderTarget> targets;
    for (const AddressBlock& block : ranges.blocks) {
        for (std::uint64_t address = block.first; address <= block.last; ++address) {
            targets.push_back({static_cast<int>(targets.size()),
                               DottedAddress(static_cast<std::uint32_t>(address)), false});
        }
    }
    UpdateRequest request;
    request.goal = JobGoal::ProbeVersion;
    request.port = port_;
    request.timeoutMs = kDiscoverTimeoutMs;
    discoveryTotal_ = ranges.count;
    discoveryAsked_ = 0;
    discoveryFound_ = 0;
    runFacts_ = {JobGoal::ProbeVersion, {}, std::nullopt};
    StartRun(RunKind::Discovery, std::move(targets), std::move(request), kDiscoverParallel);
}

void FleetBehaviour::Discovered(const RecorderTarget& target, const RecorderResult& result) {
    ++discoveryAsked_;
    // Silence, a refused connect or a peer that does not speak the
    // protocol: no recorder there.
    if (result.version) {
        ++discoveryFound_;
        FleetRow& row = *rows_.Find(rows_.Add(target.name, target.name));
        row.version = result.version;
        row.accepted = result.outcome.kind == Outcome::Probed;
        row.result = result;
        row.resultFacts = runFacts_;
        row.message = ShownMessage(result.outcome);
        row.attempts = result.attempts;
        row.stage = RowStage::Finished;
        Reshow();
    }
    ShowSummary();
}

// ----- runs -----

bool FleetBehaviour::ReadNumber(FleetControl label, FleetControl control, int least, int most,
                                int& number) {
    const std::string text = view_.Text(control);
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || number < least ||
        number > most) {
        view_.ShowMessage(Localized("%1 braucht eine ganze Zahl von %2 bis %3",
                                    {LabelOf(label), std::to_string(least), std::to_string(most)}));
        view_.SetFocus(control);
        return false;
    }
    return true;
}

bool FleetBehaviour::ReadRequest(JobGoal goal, UpdateRequest& request, int& parallel) {
    int timeout = 0;
    int retries = 0;
    if (!ReadNumber(FleetControl::ParallelLabel, FleetControl::Parallel, 1, 100000, parallel) ||
        !ReadNumber(FleetControl::TimeoutLabel, FleetControl::Timeout, 0, 86400, timeout) ||
        !ReadNumber(FleetControl::RetriesLabel, FleetControl::Retries, 0, 100, retries)) {
        return false;
    }
    runPassword_ = view_.SecretText(FleetControl::Password);
    if (ToOperatorTextBytes(runPassword_) != TextRefusal::None) {
        runPassword_.Wipe();
        view_.ShowMessage(
            LocalizeFleetText("Das Passwort enthält Zeichen, die der Rekorder nicht annimmt"));
        return false;
    }
    request.goal = goal == JobGoal::Update ? JobGoal::Update
                   : runPassword_.empty()  ? JobGoal::ProbeVersion
                                           : JobGoal::ProbeAccess;
    request.updateCode = view_.SecretText(FleetControl::Code);
    if (ToOperatorTextBytes(request.updateCode) != TextRefusal::None) {
        view_.ShowMessage(
            LocalizeFleetText("Der Update Code enthält Zeichen, die der Rekorder nicht annimmt"));
        return false;
    }
    for (const auto& [control, label] :
         {std::pair{FleetControl::Skip, FleetControl::SkipLabel},
          std::pair{FleetControl::Expect, FleetControl::ExpectLabel}}) {
        const std::string text = view_.Text(control);
        const std::optional<std::string> bytes = OperatorTextBytes(text);
        if (!bytes) {
            view_.ShowMessage(
                Localized("%1 enthält Zeichen, die der Rekorder nicht annimmt", {LabelOf(label)}));
            return false;
        }
        if (bytes->empty()) {
            continue;
        }
        if (control == FleetControl::Skip) {
            request.skipVersions.push_back(*bytes);
        } else if (goal == JobGoal::Update) {
            request.expectVersion = *bytes;
        }
    }
    request.port = port_;
    request.timeoutMs = static_cast<std::uint32_t>(timeout) * 1000;
    request.resultTimeoutMs = request.timeoutMs;
    request.retries = retries;
    return true;
}

void FleetBehaviour::OnProbe() {
    std::vector<int> ids = CheckedIds();
    if (Running() || ids.empty()) {
        if (ids.empty()) {
            view_.ShowMessage(Localized("Kein Rekorder angehakt"));
        }
        return;
    }
    UpdateRequest request;
    int parallel = 0;
    if (!ReadRequest(JobGoal::ProbeAccess, request, parallel)) {
        return;
    }
    runFacts_ = {request.goal, {}, std::nullopt};
    std::vector<RecorderTarget> targets;
    targets.reserve(ids.size());
    for (const int id : ids) {
        targets.push_back({id, rows_.Find(id)->TargetName(), false});
    }
    runIds_ = std::move(ids);
    StartRun(RunKind::Probe, std::move(targets), std::move(request), parallel);
}

void FleetBehaviour::OnStart() {
    if (Running()) {
        return;
    }
    const std::vector<int> ids = CheckedIds();
    if (ids.empty()) {
        view_.ShowMessage(Localized("Kein Rekorder angehakt"));
        return;
    }
    if (!updateFile_ || !updateFile_->sha256) {
        view_.ShowMessage(Localized("Keine Updatedatei gewählt"));
        return;
    }
    if (!view_.Confirm(Localized("%1 Rekorder mit %2 aktualisieren?",
                                 {std::to_string(ids.size()), FileNameOf(updatePath_)}))) {
        return;
    }
    StartUpdate(ids);
}

void FleetBehaviour::StartUpdate(std::vector<int> ids) {
    const std::optional<std::string> remoteName = OperatorTextBytes(FileNameOf(updatePath_));
    if (!remoteName) {
        view_.ShowMessage(
            LocalizeFleetText("Der Dateiname enthält Zeichen, die der Rekorder nicht annimmt"));
        return;
    }
    UpdateRequest request;
    int parallel = 0;
    if (!ReadRequest(JobGoal::Update, request, parallel)) {
        return;
    }
    if (request.updateCode.empty()) {
        view_.ShowMessage(LocalizeFleetText("Kein Update Code angegeben"));
        return;
    }
    request.file = {updatePath_, *remoteName, updateFile_->bytes};
    runFacts_ = {JobGoal::Update, *updateFile_->sha256, request.expectVersion};
    std::vector<RecorderTarget> targets;
    targets.reserve(ids.size());
    for (const int id : ids) {
        targets.push_back({id, rows_.Find(id)->TargetName(), false});
    }
    runIds_ = std::move(ids);
    StartRun(RunKind::Update, std::move(targets), std::move(request), parallel);
}

void FleetBehaviour::StartRun(RunKind kind, std::vector<RecorderTarget> targets,
                              UpdateRequest request, int parallel) {
    SaveSettings();
    ended_.reset();
    endedReporter_.reset();
    runKind_ = kind;
    closeAfterRun_ = false;
    if (kind != RunKind::Discovery) {
        for (const int id : runIds_) {
            FleetRow& row = *rows_.Find(id);
            row.stage = RowStage::Waiting;
            row.percent = 0;
            row.attempts = 0;
            row.result.reset();
        }
        Reshow();
    }
    reporter_ = std::make_unique<RunReporter>(*this);
    run_ =
        std::make_unique<Fleet>(std::move(targets), std::move(request), runPassword_, parallel,
                                loop_, clock_, makeLinks_, *reporter_, [this](int) { RunEnded(); });
    ApplyInputsEnabled();
    ShowSummary();
    run_->Run();
}

void FleetBehaviour::RowStarted(const RecorderRun& run) {
    FleetRow* row = rows_.Find(run.target().index);
    if (row == nullptr) {
        return;
    }
    const RowStage stage = run.checking() ? RowStage::Restart : RowStage::Running;
    const JobState state = run.state();
    const int percent = run.percent();
    std::string remaining = state == JobState::Transfer ? run.remaining() : std::string();
    if (row->stage == stage && row->state == state && row->percent == percent &&
        row->remaining == remaining && row->attempts == run.target().attempt) {
        return;
    }
    const bool started = row->stage != stage;
    row->stage = stage;
    row->state = state;
    row->percent = percent;
    row->remaining = std::move(remaining);
    row->attempts = run.target().attempt;
    if (const auto place = placeOf_.find(row->id); place != placeOf_.end()) {
        changedFirst_ = std::min(changedFirst_, place->second);
        changedLast_ = std::max(changedLast_, place->second);
    }
    if (started) {
        ShowSummary();
    }
}

void FleetBehaviour::RowRetrying(const RecorderTarget& target) {
    if (FleetRow* row = rows_.Find(target.index)) {
        row->stage = RowStage::Waiting;
        row->attempts = target.attempt;
        ShowRowOf(row->id);
    }
}

void FleetBehaviour::RowFinished(const RecorderTarget& target, const RecorderResult& result) {
    FleetRow* row = rows_.Find(target.index);
    if (row == nullptr) {
        return;
    }
    row->stage = RowStage::Finished;
    row->result = result;
    row->resultFacts = runFacts_;
    row->message = ShownMessage(result.outcome);
    row->attempts = result.attempts;
    // After a checked update the version is the one the recorder reported
    // afterwards.
    if (result.checkedVersion) {
        row->version = result.checkedVersion;
    } else if (result.version) {
        row->version = result.version;
    }
    if (result.version) {
        row->accepted = result.outcome.kind != Outcome::VersionRefused;
    }
    ShowRowOf(row->id);
    Refilter();
    ShowSummary();
}

void FleetBehaviour::RunEnded() {
    // The run calls this from its own task: it is destroyed later.
    ended_ = std::move(run_);
    endedReporter_ = std::move(reporter_);
    runIds_.clear();
    ApplyInputsEnabled();
    Reshow();
    SaveSettings();
    if (closeAfterRun_) {
        view_.CloseWindow();
    }
}

void FleetBehaviour::OnAbort() {
    if (Running()) {
        run_->Abort();
    }
}

void FleetBehaviour::OnRetryFailed() {
    if (Running()) {
        return;
    }
    for (FleetRow& row : rows_.all()) {
        row.checked = row.Failed();
    }
    view_.RowsReset();
    OnStart();
}

bool FleetBehaviour::OnClose() {
    if (!Running()) {
        SaveSettings();
        return true;
    }
    if (view_.Confirm(Localized("Es laufen noch Rekorder. Alle abbrechen und beenden?")) &&
        Running()) {
        closeAfterRun_ = true;
        run_->Abort();
    }
    return false;
}

// ----- files -----

void FleetBehaviour::OnBrowse() {
    const std::optional<std::string> path =
        view_.ChooseFile(FleetFile::UpdateFile, false, DialogBehaviour::ChooseFileTitle(),
                         LocalizeFleetText("Update Dateien(*.sh)|*.sh||"), folder_, {});
    if (!path) {
        return;
    }
    if (!IsUpdateFileName(FileNameOf(*path))) {
        view_.ShowMessage(LocalizeFleetText("Gewählte Datei konnte nicht gefunden werden"));
        return;
    }
    updatePath_ = *path;
    folder_ = FolderOf(*path);
    updateFile_.reset();
    view_.SetText(FleetControl::File, updatePath_);
    ShowDigest();
    ApplyInputsEnabled();
    digest_.Start(updatePath_, [this](CheckedUpdateFile read) {
        if (read.opened != Outcome::Succeeded || !read.sha256) {
            const Outcome why =
                read.opened != Outcome::Succeeded ? read.opened : Outcome::FileNotFound;
            updatePath_.clear();
            view_.SetText(FleetControl::File, {});
            ShowDigest();
            view_.ShowMessage(ShownMessage({why}));
            return;
        }
        updateFile_ = std::move(read);
        ShowDigest();
        ApplyInputsEnabled();
    });
}

void FleetBehaviour::OnExport() {
    const std::optional<std::string> path =
        view_.ChooseFile(FleetFile::ExportReport, true, Localized("Exportieren"),
                         Localized("Bericht (*.jsonl)|*.jsonl|Tabelle (*.csv)|*.csv||"), folder_,
                         "trelvo-fleet.jsonl");
    if (path) {
        folder_ = FolderOf(*path);
        Export(*path);
    }
}

void FleetBehaviour::Export(const std::string& path) {
    AtomicFile file(path);
    if (file.Open()) {
        file.Write(EndsWithCsv(path) ? CsvText(rows_) : ReportText(rows_));
        if (file.Commit()) {
            return;
        }
    }
    view_.ShowMessage(Localized("%1 kann nicht geschrieben werden: %2", {path, file.error()}));
}

}  // namespace trelvo
