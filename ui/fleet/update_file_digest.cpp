#include "ui/fleet/update_file_digest.h"

#include <thread>

namespace trelvo {

struct UpdateFileDigest::Worker {
    std::jthread thread;
};

UpdateFileDigest::UpdateFileDigest(EventLoop& loop)
    : loop_(loop), worker_(std::make_unique<Worker>()) {}

UpdateFileDigest::~UpdateFileDigest() {
    current_.reset();
}

void UpdateFileDigest::Start(const std::string& path, std::function<void(CheckedUpdateFile)> done) {
    current_ = std::make_shared<const int>(0);
    // Stops and joins the reading before: one file at a time.
    worker_->thread =
        std::jthread([this, path, done = std::move(done),
                      token = std::weak_ptr<const int>(current_)](std::stop_token stop) {
            CheckedUpdateFile read = ReadUpdateFile(path, stop);
            if (stop.stop_requested()) {
                return;
            }
            loop_.Post([token, done, read = std::move(read)]() mutable {
                if (!token.expired()) {
                    done(std::move(read));
                }
            });
        });
}

}  // namespace trelvo
