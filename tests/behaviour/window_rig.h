#pragma once

// One window's behaviour on fake links, a fake clock and a fake view, in
// the folder where the job opens its update file.
#include <algorithm>
#include <string>

#include "fake_clock.h"
#include "fake_dialog_view.h"
#include "job_fakes.h"
#include "ui/behaviour/dialog_behaviour.h"

namespace trelvo::testing {

inline constexpr const char* kNoHostsFile = "/nonexistent/lmhosts";

struct WindowRig {
    explicit WindowRig(const std::string& hostsPath = kNoHostsFile) {
        behaviour.OnInitDialog(hostsPath);
    }

    // Every field as an operator fills it in for the update file "a.sh".
    void FillIn(const std::string& address = "recorder") {
        view[IDC_SOURCE_FILE].text = "a.sh";
        view[IDC_PASSWORD].text = "p\u00e4\u20ac";
        view[IDC_UPDATE_CODE].text = "CODE-1";
        view[IDC_ADDRESS].text = address;
    }
    // The recorder's replies for a good update over the network, in order.
    void Answer(int index) {
        const Bytes replies[] = {VersionReply("2.0.60"), Reply(STATUS_OK, ACCESS_ADMIN),
                                 Reply(STATUS_OK), Reply(STATUS_OK)};
        net.Arrive(replies[index]);
    }
    int Count(const std::string& entry) const {
        return static_cast<int>(std::count(log.begin(), log.end(), entry));
    }
    bool Logged(const std::string& entry) const { return Count(entry) > 0; }

    EventLog log;
    FakeNetLink net{log};
    FakeSerialLink serial{log};
    FakeClock clock;
    FakeDialogView view{log};
    DialogBehaviour behaviour{view, net, serial, clock};
};

}  // namespace trelvo::testing
