#pragma once

#include <functional>
#include <memory>
#include <string>

#include "fleet/update_file_read.h"
#include "link/event_loop.h"

namespace trelvo {

// Reads and hashes an update file on a thread of its own, so that a large
// file never holds the window; the result comes back on the loop. A new
// Start forgets the one before; the destructor stops the reading.
class UpdateFileDigest {
public:
    explicit UpdateFileDigest(EventLoop& loop);
    ~UpdateFileDigest();
    UpdateFileDigest(const UpdateFileDigest&) = delete;
    UpdateFileDigest& operator=(const UpdateFileDigest&) = delete;

    void Start(const std::string& path, std::function<void(CheckedUpdateFile)> done);

private:
    // The thread, out of this header: the system's thread headers bring
    // Windows' macros into every file that includes it.
    struct Worker;

    EventLoop& loop_;
    // Replaced by every Start: a result posted for an earlier one finds
    // its token gone and is dropped.
    std::shared_ptr<const int> current_;
    std::unique_ptr<Worker> worker_;
};

}  // namespace trelvo
