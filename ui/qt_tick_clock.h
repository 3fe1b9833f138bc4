#pragma once

#include <QElapsedTimer>
#include <cstdint>

#include "job/job_environment.h"

namespace trelvo {

// Milliseconds since the clock was made, wrapping at 32 bits like the
// platform tick count the job's estimate was written for.
class QtTickClock : public TickClock {
public:
    QtTickClock() { elapsed_.start(); }
    std::uint32_t NowMs() override { return static_cast<std::uint32_t>(elapsed_.elapsed()); }

private:
    QElapsedTimer elapsed_;
};

}  // namespace trelvo
