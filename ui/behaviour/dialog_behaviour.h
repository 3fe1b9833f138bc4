#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "job/job_environment.h"
#include "job/job_steps.h"
#include "job/links.h"
#include "job/update_job.h"
#include "names/hosts_name_reader.h"
#include "ui/behaviour/dialog_view.h"

namespace trelvo {

// Everything the update window decides, whatever draws it: what Start hands
// to the job, what each tick shows, what Exit and Cancel do with or without
// a running job, where the focus goes when the inputs come back, every text
// the window shows and what its lists hold. The window's widgets reach it
// through their DialogView and call one handler per command; the job calls
// back through EnableInputs when it ends.
class DialogBehaviour final : private MessageBox, private JobOwner {
public:
    // The links and the clock outlive the behaviour; `port` is where
    // recorders listen, UPDATE_PORT but in tests.
    DialogBehaviour(DialogView& view, NetLinkInterface& net, SerialLinkInterface& serial,
                    TickClock& clock, std::uint16_t port = UPDATE_PORT);
    ~DialogBehaviour() override;
    DialogBehaviour(const DialogBehaviour&) = delete;
    DialogBehaviour& operator=(const DialogBehaviour&) = delete;

    // Once the controls exist: the labels' and buttons' texts, the source
    // file's edit off, the lists filled from the hosts file at `hostsPath`
    // (a missing or unreadable one leaves the address list empty).
    void OnInitDialog(const std::string& hostsPath);

    // The commands, one per control or key.
    void OnBrowse();
    void OnStart();
    void OnLinkKindChange();
    // The operator changed the text in the address box's edit field.
    void OnAddressEdit();
    void OnExit();
    // Esc, the close box and a posted close.
    void OnCancel();
    // Every 50 ms: the job's step, then the status text, the time text and
    // the progress, in this order.
    void OnTimer();

    // The file dialog's title, also the browse button's description.
    static std::string ChooseFileTitle();

    const UpdateJob& job() const { return job_; }

private:
    // MessageBox: the job's German message, localised, in the window's box.
    void Show(const std::string& text) override;
    // JobOwner
    void EnableInputs(bool enable) override;
    // The job's message box has told the operator already.
    void JobEnded(const JobOutcome&) override {}

    void AppendHostNames();

    DialogView& view_;
    std::uint16_t port_;
    UpdateJob job_;
    HostsNameReader hostsReader_;
    // Where the keyboard focus was when the running job started; it goes
    // back there when the inputs come back. Nothing while no job runs.
    std::optional<ControlId> focusAtStart_;
};

// Where the window's job goes: index 1 and 2 of the link-kind box are COM1
// and COM2 at the baud rate at the start of the address text, anything else
// is the network to the address text at `port`.
LinkChoice WindowLinkChoice(int linkKindIndex, const std::string& address, std::uint16_t port);

// True for a name whose extension, the part after its last dot, is "sh" in
// any letter case: only those are update files.
bool IsUpdateFileName(const std::string& name);

}  // namespace trelvo
