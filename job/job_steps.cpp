#include "job/job_steps.h"

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

void AbortJob(UpdateJob& job) {
    if (job.linkKind() != LinkKind::None) {
        job.Close();
    }
}

}  // namespace trelvo
