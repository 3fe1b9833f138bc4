// What a recorder sends, in chunks of fuzz-chosen sizes, to a job that has
// just started; the timer ticks between chunks. The first byte picks the
// link. Whatever arrives, a success is shown only from AwaitResult, every
// other message only after the job has closed, and the job always ends Idle.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "job/update_job.h"
#include "job_fakes.h"
#include "scratch_dir.h"
#include "ui/localisation/localize_text.h"

namespace {

using namespace trelvo;
using namespace trelvo::testing;

class CheckingMessageBox : public MessageBox {
public:
    void Show(const std::string& text) override {
        const bool success = text == LocalizeText("Aktualisierung erfolgreich beendet");
        const JobState expected = success ? JobState::AwaitResult : JobState::Idle;
        if (job == nullptr || job->state() != expected) {
            std::abort();
        }
    }
    const UpdateJob* job = nullptr;
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
    CheckingMessageBox messages;
    UpdateJob job(net, serial, clock, messages);
    messages.job = &job;

    const bool overSerial = (data[0] & 1) != 0;
    if (overSerial) {
        job.StartSerial("a.sh", "pw", "CODE", 1, 115200);
    } else {
        job.StartNetwork("a.sh", "pw", "CODE", "recorder", 30000);
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
        clock.now += 50;
        job.PumpTransfer();
        job.RemainingTimeText();
    }
    job.Close();
    if (job.state() != JobState::Idle) {
        std::abort();
    }
    return 0;
}
