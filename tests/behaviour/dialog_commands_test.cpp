// Start, the tick, Abort, Exit and Cancel, and where the focus goes after
// every end, as the window's behaviour does them behind any toolkit.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "operator_text_cases.h"
#include "scratch_session.h"
#include "window_rig.h"

namespace trelvo::testing {
namespace {

constexpr std::size_t kFileSize = 5000;

class DialogCommandsTest : public ::testing::Test {
protected:
    void SetUp() override { session_.dir().Write("a.sh", std::string(kFileSize, 'x')); }

    ScratchSession session_;
};

TEST_F(DialogCommandsTest, StartHandsTheFieldsToTheChosenLink) {
    struct Case {
        const char* name;
        int linkKind;
        const char* address;
        const char* started;
    };
    const Case cases[] = {
        {"network by name", 0, "recorder", "net.Connect recorder:30000"},
        {"network by address", 0, "10.0.0.7", "net.Connect 10.0.0.7:30000"},
        {"a name with umlauts, in Windows-1252", 0, "B\u00fcro", "net.Connect B\xfcro:30000"},
        {"no link kind selected", -1, "recorder", "net.Connect recorder:30000"},
        {"COM1", 1, "9600", "serial.Open COM1 9600 waiting"},
        {"COM2, the rate's leading digits", 2, " 57600 baud", "serial.Open COM2 57600 waiting"},
        {"a rate without digits", 1, "fast", "serial.Open COM1 0 waiting"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowRig w;
        w.FillIn(c.address);
        w.view[IDC_LINK_KIND].selected = c.linkKind;
        w.behaviour.OnStart();
        EXPECT_EQ(w.log.back(), c.started);
        EXPECT_TRUE(w.view.InputsDisabled());
        EXPECT_FALSE(w.view.Enabled(IDC_SOURCE_FILE));
        EXPECT_TRUE(w.view.Enabled(IDC_EXIT));
        EXPECT_EQ(w.view[IDC_EXIT].text, "Abbrechen");
        EXPECT_TRUE(w.view.messages.empty());
    }
}

// Every text that goes to a recorder keeps the one rule for operator texts:
// Start refuses a field that breaks it with a message naming the field,
// before any link is touched, and leaves the inputs as they were.
TEST_F(DialogCommandsTest, StartRefusesATextTheRuleRefusesAndNamesTheField) {
    struct Field {
        ControlId id;
        const char* refused;
    };
    const Field fields[] = {
        {IDC_PASSWORD, "Das Passwort enthält Zeichen, die der Rekorder nicht annimmt"},
        {IDC_UPDATE_CODE, "Der Update Code enthält Zeichen, die der Rekorder nicht annimmt"},
        {IDC_SOURCE_FILE, "Der Dateiname enthält Zeichen, die der Rekorder nicht annimmt"},
        {IDC_ADDRESS, "Die Adresse des Rekorders enthält ungültige Zeichen"},
    };
    for (const Field& field : fields) {
        for (const OperatorTextCase& c : OperatorTextCases()) {
            SCOPED_TRACE(std::string(TemplateOf(field.id).name) + " " + c.what);
            WindowRig w;
            w.FillIn();
            w.view[field.id].text = c.utf8;
            w.behaviour.OnStart();
            const bool linkTouched = std::any_of(w.log.begin(), w.log.end(), [](const auto& e) {
                return e.starts_with("net.") || e.starts_with("serial.");
            });
            if (c.refusal == TextRefusal::None) {
                EXPECT_EQ(std::count(w.view.messages.begin(), w.view.messages.end(), field.refused),
                          0);
            } else {
                EXPECT_EQ(w.view.messages, std::vector<std::string>{field.refused});
                EXPECT_FALSE(linkTouched);
                EXPECT_TRUE(w.view.InputsEnabled());
            }
        }
    }
}

// The recorder gets the password and the code as the edits gave them, in
// Windows-1252, and the file under its bare name behind the recorder's
// directory.
TEST_F(DialogCommandsTest, PasswordCodeAndFileReachTheRecorderUnchanged) {
    WindowRig w;
    w.FillIn();
    w.behaviour.OnStart();
    w.net.events_->OnConnect(0);
    w.Answer(0);
    // The password's request: its header, then the bytes with their NUL.
    const Bytes& request = w.net.sends.back();
    ASSERT_EQ(request.size(), HEADER_SIZE + 4);
    EXPECT_EQ(Bytes(request.begin() + HEADER_SIZE, request.end()), (Bytes{'p', 0xE4, 0x80, 0x00}));
    w.Answer(1);
    w.Answer(2);
    ASSERT_EQ(w.behaviour.job().state(), JobState::AwaitResult);
    const Bytes all = w.net.AllSent();
    for (const std::string expected : {"/tmp/a.sh", "CODE-1"}) {
        EXPECT_NE(std::search(all.begin(), all.end(), expected.begin(), expected.end()), all.end())
            << expected;
    }
}

TEST_F(DialogCommandsTest, StartWithEveryFieldEmptyEndsAtOnceWithTheInputsBack) {
    WindowRig w;
    w.behaviour.OnStart();
    EXPECT_EQ(w.view.messages,
              std::vector<std::string>{"Gewählte Datei konnte nicht gefunden werden"});
    EXPECT_FALSE(w.Logged("net.Connect :30000"));
    EXPECT_TRUE(w.view.InputsEnabled());
    // The inputs come back first, the message after.
    const auto back = std::find(w.log.begin(), w.log.end(), "IDC_EXIT Beenden");
    const auto message = std::find(w.log.begin(), w.log.end(),
                                   "message Gewählte Datei konnte nicht gefunden werden");
    EXPECT_LT(back, message);
}

// The step comes first, so the status shows where it left the job: a serial
// job's version reply, polled in the step, sends the password.
TEST_F(DialogCommandsTest, TickStepsTheJobThenShowsStatusTimeAndProgressInThisOrder) {
    WindowRig w;
    w.FillIn("115200");
    w.view[IDC_LINK_KIND].selected = 1;
    w.behaviour.OnStart();
    ASSERT_EQ(w.behaviour.job().state(), JobState::AwaitVersion);
    w.serial.inbox.Add(Reply(STATUS_OK, MIN_SERIAL_VERSION));
    w.log.clear();
    w.behaviour.OnTimer();
    EXPECT_EQ(w.log,
              (EventLog{"IDC_STATUS Datei wird gesendet", "IDC_TIME --:--:--", "progress 0"}));
}

TEST_F(DialogCommandsTest, StatusTextOfEveryState) {
    struct Case {
        int replies;  // -1: not started; 0: connect pending
        const char* status;
    };
    const Case cases[] = {
        {-1, "Keine Verbindung"},   {0, "Verbindungsaufbau"},   {1, "Passwort wird gesendet"},
        {2, "Datei wird gesendet"}, {3, "Datei wird gesendet"}, {4, "Prüfe Erfolg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.replies);
        WindowRig w;
        w.FillIn();
        if (c.replies >= 0) {
            w.behaviour.OnStart();
        }
        if (c.replies >= 1) {
            w.net.events_->OnConnect(0);
        }
        for (int i = 0; i + 1 < c.replies; ++i) {
            w.Answer(i);
        }
        w.behaviour.OnTimer();
        EXPECT_EQ(w.view[IDC_STATUS].text, c.status);
    }
}

// The bar follows the pump's value, held at 100 when the last step passes it.
TEST_F(DialogCommandsTest, ProgressGoesToTheBarAsThePumpGivesIt) {
    WindowRig w;
    w.FillIn();
    w.behaviour.OnStart();
    w.net.events_->OnConnect(0);
    w.Answer(0);
    w.Answer(1);
    std::vector<int> shown;
    for (int tick = 0;
         tick < 200 && w.behaviour.job().blocksSent() <= w.behaviour.job().blockCount(); ++tick) {
        w.behaviour.OnTimer();
        shown.push_back(w.view.progress);
    }
    ASSERT_FALSE(shown.empty());
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end()));
    EXPECT_GT(w.behaviour.job().blocksSent(), w.behaviour.job().blockCount());
    EXPECT_EQ(shown.back(), 100);
}

TEST_F(DialogCommandsTest, ExitAndCancelWithAndWithoutAJob) {
    enum class Job { None, Running, EndedByItself };
    struct Case {
        const char* name;
        bool exit;  // otherwise Cancel: Esc, the close box
        Job job;
        EventLog done;  // closes of the link and of the window, in order
    };
    const Case cases[] = {
        {"Exit while idle", true, Job::None, {"post close"}},
        {"Exit while a job runs aborts it", true, Job::Running, {"net.Close"}},
        {"Exit after the job ended", true, Job::EndedByItself, {"post close"}},
        {"Cancel while idle", false, Job::None, {"end dialog"}},
        {"Cancel while a job runs", false, Job::Running, {"net.Close", "end dialog"}},
        {"Cancel after the job ended", false, Job::EndedByItself, {"end dialog"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowRig w;
        w.FillIn();
        if (c.job != Job::None) {
            w.behaviour.OnStart();
            w.net.events_->OnConnect(0);
        }
        if (c.job == Job::EndedByItself) {
            w.net.Arrive(VersionReply("2.0.59"));
            ASSERT_EQ(w.view.messages.size(), 1U);
        }
        w.log.clear();
        const std::size_t messages = w.view.messages.size();
        c.exit ? w.behaviour.OnExit() : w.behaviour.OnCancel();
        EventLog done;
        std::copy_if(
            w.log.begin(), w.log.end(), std::back_inserter(done), [](const std::string& entry) {
                return entry == "post close" || entry == "end dialog" || entry == "net.Close";
            });
        EXPECT_EQ(done, c.done);
        EXPECT_TRUE(w.view.InputsEnabled());
        EXPECT_EQ(w.view[IDC_EXIT].text, "Beenden");
        EXPECT_EQ(w.view.messages.size(), messages);
        EXPECT_EQ(w.behaviour.job().linkKind(), LinkKind::None);
    }
}

TEST_F(DialogCommandsTest, AfterAnAbortTheNextStartGoesOut) {
    WindowRig w;
    w.FillIn();
    w.behaviour.OnStart();
    w.behaviour.OnExit();
    w.behaviour.OnStart();
    EXPECT_EQ(w.Count("net.Connect recorder:30000"), 2);
    EXPECT_TRUE(w.view.InputsDisabled());
}

// While a job runs the progress bar holds the focus, so Return or Space
// can end nothing; after every end it is back where the job was started
// from, or on Start.
TEST_F(DialogCommandsTest, FocusComesBackAfterEveryEnd) {
    enum class End { Abort, AbortFromAbortButton, ConnectFailure, Refusal, Success, NoFile };
    struct Case {
        const char* name;
        std::optional<ControlId> focusAtStart;
        End end;
        ControlId focusAfter;
    };
    const Case cases[] = {
        {"password, abort", IDC_PASSWORD, End::Abort, IDC_PASSWORD},
        {"code, Tab to Abort and abort", IDC_UPDATE_CODE, End::AbortFromAbortButton,
         IDC_UPDATE_CODE},
        {"address, connect failure", IDC_ADDRESS, End::ConnectFailure, IDC_ADDRESS},
        {"Start, refusal", IDC_START, End::Refusal, IDC_START},
        {"browse, file missing", IDC_BROWSE, End::NoFile, IDC_BROWSE},
        {"Exit, success", IDC_EXIT, End::Success, IDC_START},
        {"nothing focused, success", std::nullopt, End::Success, IDC_START},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowRig w;
        w.FillIn();
        if (c.end == End::NoFile) {
            w.view[IDC_SOURCE_FILE].text = "missing.sh";
        }
        w.view.focus = c.focusAtStart;
        w.behaviour.OnStart();
        if (c.end != End::NoFile) {
            EXPECT_EQ(w.view.focus, IDC_PROGRESS);
        }
        switch (c.end) {
            case End::AbortFromAbortButton:
                w.view.focus = IDC_EXIT;
                [[fallthrough]];
            case End::Abort:
                w.behaviour.OnExit();
                break;
            case End::ConnectFailure:
                w.net.events_->OnConnect(111);
                break;
            case End::Refusal:
                w.net.events_->OnConnect(0);
                w.net.Arrive(VersionReply("2.0.59"));
                break;
            case End::Success:
                w.net.events_->OnConnect(0);
                for (int reply = 0; reply < 4; ++reply) {
                    w.Answer(reply);
                }
                break;
            case End::NoFile:
                break;
        }
        EXPECT_EQ(w.behaviour.job().linkKind(), LinkKind::None);
        EXPECT_TRUE(w.view.InputsEnabled());
        EXPECT_EQ(w.view.focus, c.focusAfter);
    }
}

}  // namespace
}  // namespace trelvo::testing
