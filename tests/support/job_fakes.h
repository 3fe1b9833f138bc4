#pragma once

// Fakes for everything the update job reaches outside itself. They write
// what happens into one shared log, so tests can check the order of
// closing, messages and the inputs coming back.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "fake_clock.h"
#include "job/job_environment.h"
#include "job/links.h"
#include "job/wire_format.h"

namespace trelvo::testing {

using EventLog = std::vector<std::string>;

// Bytes that have arrived from the recorder and not yet been taken.
class Inbox {
public:
    void Add(const Bytes& bytes) { bytes_.insert(bytes_.end(), bytes.begin(), bytes.end()); }
    std::size_t Size() const { return bytes_.size(); }
    std::uint32_t Copy(std::uint8_t* buffer, std::uint32_t count, bool take) {
        const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(count, bytes_.size()));
        std::copy_n(bytes_.begin(), n, buffer);
        if (take) {
            bytes_.erase(bytes_.begin(), bytes_.begin() + n);
        }
        return n;
    }
    void Clear() { bytes_.clear(); }

private:
    std::deque<std::uint8_t> bytes_;
};

class FakeNetLink : public NetLinkInterface {
public:
    explicit FakeNetLink(EventLog& log) : log_(log) {}

    void SetEvents(NetLinkEvents* events) override { events_ = events; }
    bool Create() override {
        log_.push_back("net.Create");
        open_ = createSucceeds;
        return createSucceeds;
    }
    bool Connect(const std::string& host, std::uint16_t port) override {
        log_.push_back("net.Connect " + host + ":" + std::to_string(port));
        return connectUnderWay;
    }
    int Receive(std::uint8_t* buffer, int count, ReceiveMode mode) override {
        if (inbox.Size() == 0) {
            return hungUp == HangUp::Fin ? 0 : -1;
        }
        const bool take = mode == ReceiveMode::Take;
        takes += take ? 1 : 0;
        return static_cast<int>(inbox.Copy(buffer, static_cast<std::uint32_t>(count), take));
    }
    // With holdSends the socket takes nothing until the test drains it.
    void SendBuffered(const std::uint8_t* bytes, int count) override {
        sends.emplace_back(bytes, bytes + count);
        if (holdSends) {
            pendingBytes += count;
        }
    }
    int PendingBytes() const override { return pendingBytes; }
    void Close() override {
        log_.push_back("net.Close");
        open_ = false;
        inbox.Clear();
        hungUp = HangUp::None;
    }

    // Bytes arrive: like the socket layer, the link keeps notifying while
    // unread bytes remain and the job keeps taking them.
    void Arrive(const Bytes& bytes) {
        inbox.Add(bytes);
        std::size_t before = 0;
        do {
            before = inbox.Size();
            events_->OnReceive(0);
        } while (open_ && inbox.Size() != 0 && inbox.Size() < before);
    }

    // The recorder hangs up as the link shows it: after an orderly close
    // receives return 0, after a reset they fail, and either way the job
    // is told once, after the bytes that came before.
    enum class HangUp { None, Fin, Rst };
    void HangUpBy(HangUp how) {
        hungUp = how;
        if (open_) {
            events_->OnClose(how == HangUp::Rst ? ECONNRESET : 0);
        }
    }

    Bytes AllSent() const {
        Bytes all;
        for (const Bytes& send : sends) {
            all.insert(all.end(), send.begin(), send.end());
        }
        return all;
    }

    bool createSucceeds = true;
    bool connectUnderWay = true;
    int takes = 0;  // receives that took bytes, or tried to
    bool holdSends = false;
    int pendingBytes = 0;
    HangUp hungUp = HangUp::None;
    Inbox inbox;
    std::vector<Bytes> sends;
    NetLinkEvents* events_ = nullptr;

private:
    EventLog& log_;
    bool open_ = false;
};

class FakeSerialLink : public SerialLinkInterface {
public:
    explicit FakeSerialLink(EventLog& log) : log_(log) {}

    // Like the real port, an open drops what the line held before.
    bool Open(const std::string& device, int baud, bool waitingReads) override {
        log_.push_back("serial.Open " + device + " " + std::to_string(baud) +
                       (waitingReads ? " waiting" : " immediate"));
        inbox.Clear();
        failed = false;
        return openSucceeds;
    }
    // With holdWrites the bytes stay queued until the test drains them;
    // with failWrites the line fails (an adapter pulled out).
    bool Write(const std::uint8_t* bytes, std::uint32_t count) override {
        if (failWrites || failed) {
            failed = true;
            return false;
        }
        writes.emplace_back(bytes, bytes + count);
        outputEmpty = outputEmpty && !holdWrites;
        return true;
    }
    std::uint32_t Read(std::uint8_t* buffer, std::uint32_t count) override {
        reads.push_back(count);
        if (failNextRead) {
            failNextRead = false;
            return 0;
        }
        return inbox.Copy(buffer, count, true);
    }
    std::uint32_t InputCount() override { return static_cast<std::uint32_t>(inbox.Size()); }
    bool IsOutputEmpty() override { return outputEmpty; }
    bool HasFailed() const override { return failed; }
    void Close() override { log_.push_back("serial.Close"); }

    bool openSucceeds = true;
    bool failNextRead = false;
    bool holdWrites = false;
    bool failWrites = false;
    bool outputEmpty = true;
    bool failed = false;
    Inbox inbox;
    std::vector<Bytes> writes;
    std::vector<std::uint32_t> reads;

private:
    EventLog& log_;
};

class FakeMessageBox : public MessageBox {
public:
    explicit FakeMessageBox(EventLog& log) : log_(log) {}
    void Show(const std::string& text) override {
        log_.push_back("show " + text);
        shown.push_back(text);
        if (whileOpen) {
            // Runs once: what arrives while the operator reads the message.
            auto action = std::move(whileOpen);
            whileOpen = nullptr;
            action();
        }
    }
    std::vector<std::string> shown;
    std::function<void()> whileOpen;

private:
    EventLog& log_;
};

class FakeOwner : public JobOwner {
public:
    explicit FakeOwner(EventLog& log) : log_(log) {}
    void EnableInputs(bool enable) override { log_.push_back(enable ? "inputs on" : "inputs off"); }
    void JobEnded(const JobOutcome& outcome) override { outcomes.push_back(outcome); }

    std::vector<JobOutcome> outcomes;

private:
    EventLog& log_;
};

// A reply as a recorder sends it; the checksum is never compared, so it is left as is.
inline Bytes Reply(std::uint16_t status, std::uint32_t value = 0, const Bytes& body = {},
                   std::uint16_t magic = HEADER_MAGIC) {
    MessageHeader header;
    header.FillHeader(HEADER_LEAD, 0, value, static_cast<std::uint32_t>(body.size()));
    header.status = status;
    header.magic = magic;
    const MessageHeader::Wire wire = header.ToBytes();
    Bytes bytes(wire.size() + body.size());
    std::copy(wire.begin(), wire.end(), bytes.begin());
    std::copy(body.begin(), body.end(), bytes.begin() + static_cast<std::ptrdiff_t>(wire.size()));
    return bytes;
}

// A network version reply: four bytes the tool skips, then the version text.
inline Bytes VersionReply(const std::string& text, std::uint16_t status = STATUS_OK) {
    Bytes body{0xAA, 0xBB, 0xCC, 0xDD};
    body.insert(body.end(), text.begin(), text.end());
    body.push_back(0);
    return Reply(status, 0, body);
}

}  // namespace trelvo::testing
