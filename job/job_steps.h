#pragma once

#include <cstdint>
#include <string>

#include "job/links.h"
#include "job/update_file.h"
#include "job/update_job.h"

// The steps every owner of an update job takes the same way, the window as
// well as each recorder of the command line.
namespace trelvo {

// Which way a job reaches its recorder.
struct LinkChoice {
    LinkKind kind = LinkKind::Network;
    // A host name or IPv4 address for the network; "COM1", "COM2" or a
    // device path for a serial line.
    std::string address;
    std::uint16_t port = UPDATE_PORT;  // network only
    int baud = DEFAULT_SERIAL_BAUD;    // serial only
};

// Starts the job with the start operation of the chosen link. Password and
// update code are Windows-1252 bytes, as the recorders read them; the job
// keeps its own copies. False when the job has ended at once and told the
// operator why.
bool StartJob(UpdateJob& job, const UpdateSource& file, const std::string& password,
              const std::string& updateCode, const LinkChoice& link);

// What one tick leaves to be shown.
struct JobTick {
    // PumpTransfer's percentage, unclamped: it passes 100 on the last step.
    int progress = 0;
    // Read after the step, so it shows where the step left the job.
    JobState state = JobState::Idle;

    // The percentage a bar or a line shows: 0 to 100.
    int shownPercent() const;
};

// One tick of the owner's 50 ms timer: the job's step first, then what to show.
JobTick TickJob(UpdateJob& job);

// True from the start until the job's Close: while a link is open.
bool IsJobRunning(const UpdateJob& job);

// Ends a running job through its Close, which counts as an abort; without
// a running job nothing happens.
void AbortJob(UpdateJob& job);

}  // namespace trelvo
