#include "ui/behaviour/dialog_behaviour.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "job/job_status_text.h"
#include "job/version_check.h"
#include "localisation/localize_text.h"
#include "text/operator_text.h"
#include "text/secret.h"
#include "text/windows1252_text.h"

namespace trelvo {
namespace {

// What Start takes away while a job runs and the job's close gives back, in
// this order. The source file's edit stays off, Exit stays on.
constexpr std::array<ControlId, 6> kInputs{IDC_PASSWORD,  IDC_UPDATE_CODE, IDC_BROWSE,
                                           IDC_LINK_KIND, IDC_ADDRESS,     IDC_START};

// Each label's German text is its template text.
constexpr std::array<ControlId, 7> kLabels{IDC_LABEL_PASSWORD, IDC_LABEL_CODE,     IDC_LABEL_FILE,
                                           IDC_LABEL_ADDRESS,  IDC_LABEL_PROGRESS, IDC_LABEL_STATUS,
                                           IDC_LABEL_TIME};

// The link kinds in the order of their index: the network, COM1, COM2.
constexpr std::array<const char*, 3> kLinkKinds{"Netzwerk", "COM1", "COM2"};

// The serial rates a serial link offers, ascending; the last is the default.
constexpr std::array<const char*, 8> kBaudRates{"4800",  "7200",  "9600",  "14400",
                                                "19200", "38400", "57600", "115200"};

constexpr int kNetworkIndex = 0;

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](char x, char y) { return lower(x) == lower(y); });
}

bool IsSerialIndex(int linkKindIndex) {
    return linkKindIndex == 1 || linkKindIndex == 2;
}

// What Start refuses, by the input it comes from: every text that goes to a
// recorder keeps the rule for operator texts.
constexpr const char* kPasswordRefused =
    "Das Passwort enthält Zeichen, die der Rekorder nicht annimmt";
constexpr const char* kUpdateCodeRefused =
    "Der Update Code enthält Zeichen, die der Rekorder nicht annimmt";
constexpr const char* kFileNameRefused =
    "Der Dateiname enthält Zeichen, die der Rekorder nicht annimmt";
constexpr const char* kAddressRefused = "Die Adresse des Rekorders enthält ungültige Zeichen";

}  // namespace

LinkChoice WindowLinkChoice(int linkKindIndex, const std::string& address, std::uint16_t port) {
    if (IsSerialIndex(linkKindIndex)) {
        return {LinkKind::Serial, "COM" + std::to_string(linkKindIndex), port, ReadAtoi(address)};
    }
    // The box always has the network selected unless the operator picks a
    // port, so no selection at all is the network as well.
    return {LinkKind::Network, address, port, DEFAULT_SERIAL_BAUD};
}

bool IsUpdateFileName(const std::string& name) {
    const std::size_t dot = name.rfind('.');
    return dot != std::string::npos && EqualsIgnoringAsciiCase(name.substr(dot + 1), "sh");
}

DialogBehaviour::DialogBehaviour(DialogView& view, NetLinkInterface& net,
                                 SerialLinkInterface& serial, TickClock& clock, std::uint16_t port)
    : view_(view), port_(port), job_(net, serial, clock, *this) {
    job_.SetOwner(*this);
}

DialogBehaviour::~DialogBehaviour() = default;

std::string DialogBehaviour::ChooseFileTitle() {
    return LocalizeText("Updatedatei auswählen");
}

void DialogBehaviour::OnInitDialog(const std::string& hostsPath) {
    hostsReader_.BuildTable();
    // A file cut at the reader's limit still offers the names before it;
    // names no recorder can be reached by are not offered.
    hostsReader_.ReadFile(hostsPath);
    // The source file changes only through the browse button.
    view_.Enable(IDC_SOURCE_FILE, false);
    for (const ControlId label : kLabels) {
        view_.SetText(label, LocalizeText(TemplateOf(label).text));
    }
    view_.SetText(IDC_START, LocalizeText("Start"));
    view_.SetText(IDC_EXIT, LocalizeText("Beenden"));

    for (const char* kind : kLinkKinds) {
        view_.AppendToList(IDC_LINK_KIND, LocalizeText(kind));
    }
    view_.Select(IDC_LINK_KIND, kNetworkIndex);
    AppendHostNames();
    view_.Select(IDC_ADDRESS, view_.ListCount(IDC_ADDRESS) > 0 ? 0 : -1);
}

// A hosts file holds its names in Windows-1252; the list shows them as text.
void DialogBehaviour::AppendHostNames() {
    for (const std::string& name : hostsReader_.names()) {
        view_.AppendToList(IDC_ADDRESS, Windows1252ToUtf8(name));
    }
}

void DialogBehaviour::OnBrowse() {
    const std::optional<ChosenFile> chosen =
        view_.ChooseFile(ChooseFileTitle(), LocalizeText("Update Dateien(*.sh)|*.sh||"));
    if (!chosen) {
        return;
    }
    if (!IsUpdateFileName(chosen->name)) {
        view_.ShowMessage(LocalizeText("Es sind nur *.sh Dateien gültig"));
        return;
    }
    // The recorder is told the name: one it cannot read is no choice.
    if (!OperatorTextBytes(chosen->name)) {
        view_.ShowMessage(LocalizeText(kFileNameRefused));
        return;
    }
    // The job opens the bare name in the current folder, and the recorder
    // gets the same bare name behind its directory.
    view_.MakeCurrentFolder(chosen->folder);
    view_.SetText(IDC_SOURCE_FILE, chosen->name);
}

void DialogBehaviour::OnStart() {
    // The edits keep their texts for the next start; these copies go when
    // the start returns, the job having taken its own.
    Secret password = view_.SecretText(IDC_PASSWORD);
    Secret updateCode = view_.SecretText(IDC_UPDATE_CODE);
    const std::string fileName = view_.Text(IDC_SOURCE_FILE);
    const std::optional<std::string> remoteName = OperatorTextBytes(fileName);
    const int linkKind = view_.Selected(IDC_LINK_KIND);
    // A network name goes in the code page the hosts file holds it in, so a
    // listed name reaches the very recorder it came from; a serial line's
    // text is its baud rate.
    const std::string address = view_.Text(IDC_ADDRESS);
    const std::optional<std::string> addressBytes =
        IsSerialIndex(linkKind) ? address : OperatorTextBytes(address);
    // The edits take only what the rule allows, but a text can still come
    // in past them: refused with the inputs left as they are.
    const char* refused = nullptr;
    if (ToOperatorTextBytes(password) != TextRefusal::None) {
        refused = kPasswordRefused;
    } else if (ToOperatorTextBytes(updateCode) != TextRefusal::None) {
        refused = kUpdateCodeRefused;
    } else if (!remoteName) {
        refused = kFileNameRefused;
    } else if (!addressBytes) {
        refused = kAddressRefused;
    }
    if (refused != nullptr) {
        view_.ShowMessage(LocalizeText(refused));
        return;
    }
    EnableInputs(false);
    // From now on the job reports its own failures and gives the inputs
    // back when it closes.
    StartJob(job_, UpdateSource{fileName, *remoteName, {}}, password.text(), updateCode.text(),
             WindowLinkChoice(linkKind, *addressBytes, port_));
}

void DialogBehaviour::OnLinkKindChange() {
    view_.ClearList(IDC_ADDRESS);
    if (view_.Selected(IDC_LINK_KIND) == kNetworkIndex) {
        AppendHostNames();
        view_.Select(IDC_ADDRESS, -1);
        return;
    }
    for (const char* rate : kBaudRates) {
        view_.AppendToList(IDC_ADDRESS, rate);
    }
    view_.Select(IDC_ADDRESS, view_.ListCount(IDC_ADDRESS) - 1);
}

void DialogBehaviour::OnAddressEdit() {
    // A serial link's baud rate is picked from the list, never typed.
    if (view_.Selected(IDC_LINK_KIND) != kNetworkIndex) {
        view_.Select(IDC_ADDRESS, view_.ListCount(IDC_ADDRESS) - 1);
    }
}

void DialogBehaviour::OnExit() {
    // The button acts on the job, whatever its caption reads.
    if (IsJobRunning(job_)) {
        AbortJob(job_);
        return;
    }
    view_.PostClose();
}

void DialogBehaviour::OnCancel() {
    AbortJob(job_);
    view_.EndDialog();
}

void DialogBehaviour::OnTimer() {
    const JobTick tick = TickJob(job_);
    // A value outside the states leaves the field as it was.
    if (const std::string text = ShownStatusText(tick.state); !text.empty()) {
        view_.SetText(IDC_STATUS, text);
    }
    view_.SetText(IDC_TIME, job_.RemainingTimeText());
    view_.SetProgress(tick.shownPercent());
}

void DialogBehaviour::Show(const std::string& text) {
    view_.ShowMessage(LocalizeText(text));
}

void DialogBehaviour::EnableInputs(bool enable) {
    if (!enable && !focusAtStart_) {
        const std::optional<ControlId> focused = view_.FocusedControl();
        focusAtStart_ = IDC_START;
        if (focused && std::find(kInputs.begin(), kInputs.end(), *focused) != kInputs.end()) {
            focusAtStart_ = focused;
        }
        // Disabling the focused input would hand the focus on to the next
        // enabled button, Abort, and Return or Space would end the update.
        // The progress bar holds it instead: it takes no keys, Tab still
        // reaches Abort, and the window gives it back when reactivated.
        view_.SetFocus(IDC_PROGRESS);
    }
    for (const ControlId input : kInputs) {
        view_.Enable(input, enable);
    }
    view_.SetText(IDC_EXIT, LocalizeText(enable ? "Beenden" : "Abbrechen"));
    if (enable && focusAtStart_) {
        // Also after an abort from the keyboard: left on Exit, the next
        // Return would end the program.
        view_.SetFocus(*focusAtStart_);
        focusAtStart_.reset();
    }
}

}  // namespace trelvo
