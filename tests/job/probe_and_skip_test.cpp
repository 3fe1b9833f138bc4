// Jobs that do less than an update: a probe of the gates, and a recorder
// left alone because it already runs the version in question.
#include <string>
#include <vector>

#include "update_job_fixture.h"

namespace trelvo::testing {
namespace {

using ProbeAndSkipTest = UpdateJobTest;

TEST_F(ProbeAndSkipTest, EndsRightAfterTheGatesAskedForWithoutAFile) {
    struct Case {
        const char* what;
        JobGoal goal;
        std::vector<std::string> skip;
        bool serial;
        Bytes versionReply;
        Bytes accessReply;  // empty: none is expected
        Outcome outcome;
        std::string version;
        std::size_t requests;  // headers sent: query, password
    };
    const Case cases[] = {
        {"version only",
         JobGoal::ProbeVersion,
         {},
         false,
         VersionReply("2.0.60"),
         {},
         Outcome::Probed,
         "2.0.60",
         1},
        {"too old",
         JobGoal::ProbeAccess,
         {},
         false,
         VersionReply("1.9.9"),
         {},
         Outcome::VersionRefused,
         "1.9.9",
         1},
        {"access",
         JobGoal::ProbeAccess,
         {},
         false,
         VersionReply("QRB 7"),
         Reply(STATUS_OK, ACCESS_ADMIN),
         Outcome::Probed,
         "QRB 7",
         2},
        {"wrong password",
         JobGoal::ProbeAccess,
         {},
         false,
         VersionReply("3.0"),
         Reply(STATUS_OK, 0),
         Outcome::AccessDenied,
         "3.0",
         2},
        {"serial number",
         JobGoal::ProbeVersion,
         {},
         true,
         Reply(STATUS_OK, 20070),
         {},
         Outcome::Probed,
         "20070",
         1},
        {"skipped",
         JobGoal::Update,
         {"2.0.61", "2.0.60"},
         false,
         VersionReply("2.0.60"),
         {},
         Outcome::Skipped,
         "2.0.60",
         1},
        {"skipped by number",
         JobGoal::Update,
         {"20070"},
         true,
         Reply(STATUS_OK, 20070),
         {},
         Outcome::Skipped,
         "20070",
         1},
        {"skip list misses",
         JobGoal::Update,
         {"2.0.6"},
         false,
         VersionReply("2.0.60"),
         Reply(STATUS_OK, 2),
         Outcome::AccessDenied,
         "2.0.60",
         2},
    };
    for (const Case& c : cases) {
        job.SetGoal(c.goal);
        job.SetSkipVersions(c.skip);
        owner.outcomes.clear();
        net.sends.clear();
        serial.writes.clear();
        // A probe names no file; an update needs its file.
        const std::string file = c.goal == JobGoal::Update ? "a.sh" : "";
        if (c.serial) {
            ASSERT_TRUE(job.StartSerial(file, "pw", "", "COM1", 9600)) << c.what;
            serial.inbox.Add(c.versionReply);
            job.PumpTransfer();
            serial.inbox.Add(c.accessReply);
            job.PumpTransfer();
            job.PumpTransfer();
        } else {
            ASSERT_TRUE(job.StartNetwork(file, "pw", "", "r", UPDATE_PORT)) << c.what;
            net.events_->OnConnect(0);
            net.Arrive(c.versionReply);
            if (!c.accessReply.empty()) {
                net.Arrive(c.accessReply);
            }
        }
        EXPECT_EQ(owner.outcomes, std::vector<JobOutcome>{{c.outcome}}) << c.what;
        EXPECT_EQ(job.recorderVersion(), std::optional<std::string>(c.version)) << c.what;
        // One hand-over per request, header and body together.
        const std::size_t handOvers = c.serial ? serial.writes.size() : net.sends.size();
        EXPECT_EQ(handOvers, c.requests) << c.what;
    }
}

}  // namespace
}  // namespace trelvo::testing
