#include "job/job_steps.h"

#include <algorithm>

namespace trelvo {

bool StartJob(UpdateJob& job, const UpdateSource& file, const std::string& password,
              const std::string& updateCode, const LinkChoice& link) {
    if (link.kind == LinkKind::Serial) {
        return job.StartSerial(file, password, updateCode, link.address, link.baud);
    }
    return job.StartNetwork(file, password, updateCode, link.address, link.port);
}

JobTick TickJob(UpdateJob& job) {
    const int progress = job.PumpTransfer();
    return {progress, job.state()};
}

int JobTick::shownPercent() const {
    return std::clamp(progress, 0, 100);
}

bool IsJobRunning(const UpdateJob& job) {
    return job.linkKind() != LinkKind::None;
}

void AbortJob(UpdateJob& job) {
    if (IsJobRunning(job)) {
        job.Close();
    }
}

}  // namespace trelvo
