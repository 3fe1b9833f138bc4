#pragma once

#include <windows.h>

#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

namespace trelvo {

// A socket whose sends wait for the end of the batch they were made in.
class BatchedSender {
public:
    // On one of the batch's threads: offers the waiting bytes to the socket,
    // and only that.
    virtual void SendWaiting() = 0;
    // On the loop's thread, once every sender of the batch has sent.
    virtual void AfterBatch() = 0;

protected:
    ~BatchedSender() = default;
};

// The sends of one tick, made together at its end. Under Wine every
// Winsock call is a round trip to the Wine server, and a fleet's tick of a
// thousand block sends made one after another took two ticks; made from
// two threads the round trips overlap and the fleet keeps its pace. The
// helpers only ever call send(), and only while the loop's thread waits
// for them, so every other use of a socket stays on that thread.
class SendBatch {
public:
    SendBatch();
    ~SendBatch();
    SendBatch(const SendBatch&) = delete;
    SendBatch& operator=(const SendBatch&) = delete;

    // The batch open on the calling thread, or null.
    static SendBatch* Open();

    // Opens the batch on this thread for its own lifetime, and sends when
    // it ends.
    class Round {
    public:
        explicit Round(SendBatch& batch);
        ~Round();
        Round(const Round&) = delete;
        Round& operator=(const Round&) = delete;

    private:
        SendBatch& batch_;
        SendBatch* outer_;
    };

    void Add(BatchedSender& sender);
    // The sender's bytes go no more with this batch.
    void Remove(BatchedSender& sender);

private:
    void SendAll();
    void MakeHelpers();
    void SendShare(std::size_t share);

    std::vector<BatchedSender*> senders_;
    // How many threads share the batch's senders out, the loop's first.
    std::size_t shares_ = 1;

    // Helpers, made for the first batch large enough to share out; each
    // waits for its start event and signals its done event. Plain events:
    // with condition variables a thousand recorders' run once hung on its
    // way out, a helper still waiting after its stop had been asked.
    std::vector<HANDLE> starts_;
    std::vector<HANDLE> dones_;
    std::vector<std::thread> helpers_;
    std::atomic<bool> stopping_ = false;
};

}  // namespace trelvo
