#include "tools/cli/watched_links.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace trelvo {
namespace {

class StepClock : public TickClock {
public:
    std::uint32_t NowMs() override { return now; }
    std::uint32_t now = 0;
};

// A link whose answers the test sets; it only reports back what it is told.
class ScriptedNetLink : public NetLinkInterface {
public:
    void SetEvents(NetLinkEvents* events) override { this->events = events; }
    bool Create() override { return true; }
    bool Connect(const std::string&, std::uint16_t) override { return true; }
    int Receive(std::uint8_t*, int, ReceiveMode mode) override {
        return mode == ReceiveMode::Peek ? peek : take;
    }
    void SendBuffered(const std::uint8_t*, int count) override { pending += count - taken; }
    int PendingBytes() const override { return pending; }
    void Close() override {}

    NetLinkEvents* events = nullptr;
    int peek = -1;
    int take = -1;
    int taken = 0;  // how much of each hand-over the socket takes at once
    int pending = 0;
};

class CountingEvents : public NetLinkEvents {
public:
    void OnConnect(int) override { ++connects; }
    void OnReceive(int) override { ++receives; }
    int connects = 0;
    int receives = 0;
};

// Each step runs at a later time; the watch is quiet only when none of the
// steps counted as activity.
struct Case {
    const char* what;
    std::function<void(ScriptedNetLink&, WatchedNetLink&)> step;
    bool active;
};

TEST(WatchedNetLink, NotesWhatShowsARecorderIsThere) {
    std::uint8_t buffer[32];
    const Case cases[] = {
        {"connect ends", [](ScriptedNetLink& l, WatchedNetLink&) { l.events->OnConnect(0); }, true},
        {"bytes taken",
         [&](ScriptedNetLink& l, WatchedNetLink& w) {
             l.take = 5;
             w.Receive(buffer, 5, NetLinkInterface::ReceiveMode::Take);
         },
         true},
        {"more bytes peeked",
         [&](ScriptedNetLink& l, WatchedNetLink& w) {
             l.peek = 4;
             w.Receive(buffer, 18, NetLinkInterface::ReceiveMode::Peek);
         },
         true},
        {"nothing arrived",
         [&](ScriptedNetLink&, WatchedNetLink& w) {
             w.Receive(buffer, 18, NetLinkInterface::ReceiveMode::Peek);
         },
         false},
        {"socket took the block at once",
         [&](ScriptedNetLink& l, WatchedNetLink& w) {
             l.taken = 10;
             w.SendBuffered(buffer, 10);
         },
         true},
        {"socket took nothing",
         [&](ScriptedNetLink&, WatchedNetLink& w) {
             w.SendBuffered(buffer, 10);
             w.PendingBytes();
         },
         false},
        {"receive notification alone",
         [](ScriptedNetLink& l, WatchedNetLink&) { l.events->OnReceive(0); }, false},
    };
    for (const Case& c : cases) {
        StepClock clock;
        ActivityWatch watch(clock);
        ScriptedNetLink inner;
        CountingEvents job;
        int seen = 0;
        WatchedNetLink link(inner, watch, [&seen] { ++seen; });
        link.SetEvents(&job);
        clock.now = 1000;
        c.step(inner, link);
        EXPECT_EQ(watch.SilentFor(1000), !c.active) << c.what;
        EXPECT_EQ(seen, job.connects + job.receives) << c.what;
    }
}

TEST(WatchedNetLink, PendingBytesGoingDownIsActivity) {
    StepClock clock;
    ActivityWatch watch(clock);
    ScriptedNetLink inner;
    WatchedNetLink link(inner, watch, [] {});
    std::uint8_t block[100] = {};
    link.SendBuffered(block, 100);
    clock.now = 500;
    EXPECT_EQ(link.PendingBytes(), 100);
    EXPECT_TRUE(watch.SilentFor(500));
    inner.pending = 40;
    EXPECT_EQ(link.PendingBytes(), 40);
    EXPECT_FALSE(watch.SilentFor(1));
}

class ScriptedSerialLink : public SerialLinkInterface {
public:
    bool Open(const std::string&, int, bool) override { return true; }
    bool Write(const std::uint8_t*, std::uint32_t) override { return writes; }
    std::uint32_t Read(std::uint8_t*, std::uint32_t count) override { return count; }
    std::uint32_t InputCount() override { return waiting; }
    bool IsOutputEmpty() override { return empty; }
    bool HasFailed() const override { return false; }
    void Close() override {}
    bool writes = true;
    std::uint32_t waiting = 0;
    bool empty = false;
};

TEST(WatchedSerialLink, NotesBytesInAndOut) {
    struct SerialCase {
        const char* what;
        std::function<void(ScriptedSerialLink&, WatchedSerialLink&)> step;
        bool active;
    };
    std::uint8_t buffer[8] = {};
    const SerialCase cases[] = {
        {"written", [&](ScriptedSerialLink&, WatchedSerialLink& w) { w.Write(buffer, 8); }, true},
        {"write failed",
         [&](ScriptedSerialLink& l, WatchedSerialLink& w) {
             l.writes = false;
             w.Write(buffer, 8);
         },
         false},
        {"read", [&](ScriptedSerialLink&, WatchedSerialLink& w) { w.Read(buffer, 8); }, true},
        {"bytes waiting",
         [](ScriptedSerialLink& l, WatchedSerialLink& w) {
             l.waiting = 3;
             w.InputCount();
         },
         true},
        {"none waiting", [](ScriptedSerialLink&, WatchedSerialLink& w) { w.InputCount(); }, false},
        {"output drained",
         [&](ScriptedSerialLink& l, WatchedSerialLink& w) {
             l.writes = false;
             w.Write(buffer, 8);
             l.empty = true;
             w.IsOutputEmpty();
         },
         true},
        {"output still full", [](ScriptedSerialLink&, WatchedSerialLink& w) { w.IsOutputEmpty(); },
         false},
    };
    for (const SerialCase& c : cases) {
        StepClock clock;
        ActivityWatch watch(clock);
        ScriptedSerialLink inner;
        WatchedSerialLink link(inner, watch);
        clock.now = 1000;
        c.step(inner, link);
        EXPECT_EQ(watch.SilentFor(1000), !c.active) << c.what;
    }
}

}  // namespace
}  // namespace trelvo
