#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "job/job_environment.h"
#include "job/links.h"

namespace trelvo {

// The last moment a recorder showed it is there: a byte arrived, or the
// link passed bytes on. The job itself never gives up on a silent recorder;
// the command line asks this watch whether to.
class ActivityWatch {
public:
    explicit ActivityWatch(TickClock& clock) : clock_(clock), last_(clock.NowMs()) {}

    void Note() { last_ = clock_.NowMs(); }
    bool SilentFor(std::uint32_t ms) const { return clock_.NowMs() - last_ >= ms; }

private:
    TickClock& clock_;
    std::uint32_t last_;
};

// Passes every call through to the real network link and notes activity on
// the way: the connect ending, bytes taken or newly arrived, pending bytes
// going down. `beforeEvent` runs before each notification reaches the job.
class WatchedNetLink final : public NetLinkInterface, private NetLinkEvents {
public:
    WatchedNetLink(NetLinkInterface& inner, ActivityWatch& watch,
                   std::function<void()> beforeEvent);
    ~WatchedNetLink() override;
    WatchedNetLink(const WatchedNetLink&) = delete;
    WatchedNetLink& operator=(const WatchedNetLink&) = delete;

    void SetEvents(NetLinkEvents* events) override { job_ = events; }
    bool Create() override { return inner_.Create(); }
    bool Connect(const std::string& host, std::uint16_t port) override;
    int Receive(std::uint8_t* buffer, int count, ReceiveMode mode) override;
    void SendBuffered(const std::uint8_t* bytes, int count) override;
    int PendingBytes() const override;
    void Close() override;

private:
    void OnConnect(int error) override;
    void OnReceive(int error) override;
    void NotePending(int pending) const;

    NetLinkInterface& inner_;
    ActivityWatch& watch_;
    std::function<void()> beforeEvent_;
    NetLinkEvents* job_ = nullptr;
    // What the job last saw: more peeked bytes or fewer pending ones are news.
    int peeked_ = 0;
    mutable int pending_ = 0;
};

// The same for the serial link: bytes read or newly waiting, written, or the
// output queue draining.
class WatchedSerialLink final : public SerialLinkInterface {
public:
    WatchedSerialLink(SerialLinkInterface& inner, ActivityWatch& watch)
        : inner_(inner), watch_(watch) {}

    bool Open(const std::string& device, int baud, bool waitingReads) override;
    bool Write(const std::uint8_t* bytes, std::uint32_t count) override;
    std::uint32_t Read(std::uint8_t* buffer, std::uint32_t count) override;
    std::uint32_t InputCount() override;
    bool IsOutputEmpty() override;
    bool HasFailed() const override { return inner_.HasFailed(); }
    void Close() override { inner_.Close(); }

private:
    SerialLinkInterface& inner_;
    ActivityWatch& watch_;
    std::uint32_t waiting_ = 0;
    bool outputEmpty_ = true;
};

}  // namespace trelvo
