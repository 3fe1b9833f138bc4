#pragma once

#include <cstdint>

#include "fleet/recorder_run.h"

namespace trelvo {

// Whether a recorder whose attempt ended so may be tried again: only when
// it could not be reached, fell silent or hung up, and only before the
// execute request went out; after it the recorder may be carrying out the
// update. A refused version or password, or a status from the recorder,
// would only be refused again.
bool MayRetry(const RecorderResult& result);

// How long to wait before the next attempt after `failedAttempts` failed
// ones: 1 s, 2 s, 4 s ... up to 30 s, less up to a fifth by `random` (any
// 32 bits), so that recorders that failed together do not return together.
std::uint32_t RetryDelayMs(int failedAttempts, std::uint32_t random);

}  // namespace trelvo
