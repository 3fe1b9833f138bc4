#include "link/win32/send_batch.h"

#include <system_error>

namespace trelvo {
namespace {

// Fewer senders than this are not worth waking a helper for.
constexpr std::size_t kShareFrom = 16;
// Three helpers even on two cores: what the senders wait for is the Wine
// server's answer, and four threads keep it busier than two (a thousand
// recorders' update took 1.33 times the pacing floor rather than 1.38).
constexpr std::size_t kHelpers = 3;

thread_local SendBatch* openBatch = nullptr;

}  // namespace

SendBatch::SendBatch() = default;

SendBatch::~SendBatch() {
    stopping_ = true;
    for (const HANDLE start : starts_) {
        SetEvent(start);
    }
    for (std::thread& helper : helpers_) {
        helper.join();
    }
    for (const HANDLE event : starts_) {
        CloseHandle(event);
    }
    for (const HANDLE event : dones_) {
        CloseHandle(event);
    }
}

SendBatch* SendBatch::Open() {
    return openBatch;
}

SendBatch::Round::Round(SendBatch& batch) : batch_(batch), outer_(openBatch) {
    openBatch = &batch;
}

// A round inside another (a tick under a modal loop that a tick opened)
// sends everything waiting when it ends, the outer round's bytes too:
// they must not wait for the modal loop to end.
SendBatch::Round::~Round() {
    // Reopened first: what the senders do after the batch is the outer
    // round's, or goes at once.
    openBatch = outer_;
    batch_.SendAll();
}

void SendBatch::Add(BatchedSender& sender) {
    senders_.push_back(&sender);
}

void SendBatch::Remove(BatchedSender& sender) {
    std::erase(senders_, &sender);
}

void SendBatch::SendAll() {
    if (senders_.empty()) {
        return;
    }
    if (senders_.size() >= kShareFrom && helpers_.empty()) {
        MakeHelpers();
    }
    // The events order the helpers' work after what came before and
    // before what comes after.
    shares_ = senders_.size() >= kShareFrom ? helpers_.size() + 1 : 1;
    for (std::size_t helper = 0; helper + 1 < shares_; ++helper) {
        SetEvent(starts_[helper]);
    }
    SendShare(0);
    if (shares_ > 1) {
        WaitForMultipleObjects(static_cast<DWORD>(shares_ - 1), dones_.data(), TRUE, INFINITE);
    }
    // Nothing after the sends calls out of a sender, so none can be removed
    // while this runs.
    for (BatchedSender* sender : senders_) {
        sender->AfterBatch();
    }
    senders_.clear();
}

// Without helpers the loop's thread sends alone.
void SendBatch::MakeHelpers() {
    starts_.reserve(kHelpers);
    dones_.reserve(kHelpers);
    helpers_.reserve(kHelpers);
    for (std::size_t share = 1; share <= kHelpers; ++share) {
        const HANDLE start = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        const HANDLE done = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        if (start == nullptr || done == nullptr) {
            for (const HANDLE made : {start, done}) {
                if (made != nullptr) {
                    CloseHandle(made);
                }
            }
            return;
        }
        try {
            helpers_.emplace_back([this, share, start, done] {
                while (WaitForSingleObject(start, INFINITE) == WAIT_OBJECT_0 && !stopping_) {
                    SendShare(share);
                    SetEvent(done);
                }
            });
        } catch (const std::system_error&) {
            CloseHandle(start);
            CloseHandle(done);
            return;
        }
        starts_.push_back(start);
        dones_.push_back(done);
    }
}

void SendBatch::SendShare(std::size_t share) {
    for (std::size_t i = share; i < senders_.size(); i += shares_) {
        senders_[i]->SendWaiting();
    }
}

}  // namespace trelvo
