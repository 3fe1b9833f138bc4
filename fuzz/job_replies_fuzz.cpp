// What a recorder sends, in chunks of fuzz-chosen sizes, to a job that has
// just started; the timer ticks between chunks. The first byte picks the
// link. Whatever arrives, success is reported only from AwaitResult, its
// message is shown before the close, every other message only after the
// close and exactly as its outcome says, and the job always ends Idle.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "job/update_job.h"
#include "job_fakes.h"
#include "scratch_dir.h"

namespace {

using namespace trelvo;
using namespace trelvo::testing;

void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

class CheckingOwner : public MessageBox, public JobOwner {
public:
    void Show(const std::string& text) override {
        if (job->state() == JobState::AwaitResult) {
            Require(text == OutcomeMessage({Outcome::Succeeded}));
            return;
        }
        Require(job->state() == JobState::Idle && !outcomes.empty());
        Require(outcomes.back().kind != Outcome::Aborted);
        Require(text == OutcomeMessage(outcomes.back()));
    }
    void EnableInputs(bool) override {}
    void JobEnded(const JobOutcome& outcome) override {
        Require(job->state() == JobState::Idle);
        Require(!outcome.succeeded() || job->endedIn() == JobState::AwaitResult);
        outcomes.push_back(outcome);
    }
    const UpdateJob* job = nullptr;
    std::vector<JobOutcome> outcomes;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static const ScratchDir dir;
    dir.Write("a.sh", std::string(3000, 'u'));
    if (chdir(dir.path().c_str()) != 0) {
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return -1;
    }
    EventLog log;
    FakeNetLink net(log);
    FakeSerialLink serial(log);
    FakeClock clock;
    CheckingOwner owner;
    UpdateJob job(net, serial, clock, owner);
    job.SetOwner(owner);
    owner.job = &job;

    const bool overSerial = (data[0] & 1) != 0;
    if (overSerial) {
        job.StartSerial("a.sh", "pw", "CODE", 1, DEFAULT_SERIAL_BAUD);
    } else {
        job.StartNetwork("a.sh", "pw", "CODE", "recorder", UPDATE_PORT);
        net.events_->OnConnect((data[0] & 2) != 0 ? 111 : 0);
    }
    std::size_t at = 1;
    while (at < size && job.state() != JobState::Idle) {
        const std::size_t length = std::min<std::size_t>(data[at], size - at - 1);
        const Bytes chunk(data + at + 1, data + at + 1 + length);
        at += 1 + length;
        if (overSerial) {
            serial.inbox.Add(chunk);
        } else {
            net.Arrive(chunk);
        }
        clock.now += TICK_PERIOD_MS;
        job.PumpTransfer();
        job.RemainingTimeText();
    }
    const bool running = job.state() != JobState::Idle;
    const std::size_t ends = owner.outcomes.size();
    job.Close();
    // Only a running job has something to abort; every job has ended once.
    Require(owner.outcomes.size() == ends + 1);
    Require(!running || owner.outcomes.back().kind == Outcome::Aborted);
    Require(ends >= 1 || running);
    return 0;
}
