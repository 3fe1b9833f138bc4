#include "tools/recorder-sim/recorder_server.h"

#include <sys/resource.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tools/recorder-sim/disk_file_sink.h"
#include "tools/recorder-sim/event_set.h"
#include "tools/recorder-sim/fault_plan.h"
#include "tools/recorder-sim/pty_transport.h"
#include "tools/recorder-sim/tcp_transport.h"

namespace trelvo {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kReadChunk = std::size_t{256} * 1024;
// A client that sends requests but never reads the replies is not read
// from until it has taken this much.
constexpr std::size_t kMaxUnsentReplies = std::size_t{1024} * 1024;
// Reads per connection and loop turn, so one fast sender cannot starve the rest.
constexpr int kReadsPerTurn = 4;
// After the last reply on a pseudo-terminal, how long to wait for the
// client to read it before the line goes away with the simulator.
constexpr auto kPtyDrainLimit = std::chrono::seconds(5);
constexpr auto kPtyDrainPoll = std::chrono::milliseconds(10);

volatile std::sig_atomic_t g_stopSignal = 0;

void OnStopSignal(int) {
    g_stopSignal = 1;
}

// Process set-up shared by both modes: a closed peer must not kill us
// through SIGPIPE, a stop signal must interrupt poll() so partial files
// get cleaned up, and a fleet of clients needs more than 1024 descriptors.
void PrepareProcess() {
    std::signal(SIGPIPE, SIG_IGN);
    struct sigaction stop {};
    stop.sa_handler = OnStopSignal;
    sigemptyset(&stop.sa_mask);
    sigaction(SIGINT, &stop, nullptr);
    sigaction(SIGTERM, &stop, nullptr);
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

void PrintResult(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

std::string ErrnoText() {
    return std::strerror(errno);
}

struct Link {
    Link(std::unique_ptr<Transport> transportIn, int idIn, const SimOptions& options,
         const RecorderBehaviour& behaviour, const FaultPlan& plan)
        : transport(std::move(transportIn)),
          id(idIn),
          session(behaviour, MakeSaveSinks(options.savePath, options.saveDir, idIn)),
          nextBabble(Clock::now() +
                     plan.BabbleEvery().value_or(std::chrono::milliseconds::zero())) {}

    std::unique_ptr<Transport> transport;  // null once the link has ended
    int id;
    RecorderSession session;
    recorder_wire::Bytes out;
    std::size_t outSent = 0;
    struct Delayed {
        Clock::time_point due;
        Reply reply;
    };
    std::deque<Delayed> delayed;
    Clock::time_point nextBabble;  // with --babble-ms
    std::uint64_t received = 0;
    std::uint64_t repliesSent = 0;
    bool resultSent = false;
    bool updateSucceeded = false;
    bool draining = false;  // our side is shut down; input is read and dropped
    bool ended = false;
    std::uint32_t watched = 0;  // the events the epoll set holds this link for; 0: not in it

    std::size_t Unsent() const { return out.size() - outSent; }
};

class Server {
public:
    Server(const SimOptions& options, std::unique_ptr<TcpListener> listener)
        : options_(options),
          behaviour_(options.behaviour),
          plan_(options),
          listener_(std::move(listener)),
          listenPort_(listener_ ? listener_->Port() : 0) {}

    void AddLink(std::unique_ptr<Transport> transport) {
        links_.push_back(
            std::make_unique<Link>(std::move(transport), nextId_++, options_, behaviour_, plan_));
    }

    int Run();

private:
    void Accept();
    void Read(Link& link);
    void Trace(const std::string& line) const;
    void QueueReplies(Link& link);
    void Release(Link& link, Clock::time_point now);
    void Updated(const Link& link);
    void Restart(Clock::time_point now);
    void Babble(Clock::time_point now, Clock::duration every);
    void Flush(Link& link);
    void Report(Link& link);
    void End(Link& link, const std::string& why, bool reset = false);
    void CutOff(Link& link);
    void Drain(Link& link);
    void Close(Link& link);
    void SetReadThreshold(Link& link);
    void WatchListener();
    void Watch(Link& link);
    int PollTimeoutMs(Clock::time_point now) const;
    void CheckPtyDrained(Clock::time_point now);
    void Log(const Link& link, const std::string& text, bool always = false) const;

    const SimOptions& options_;
    // What every session answers; an update that succeeds changes the version.
    RecorderBehaviour behaviour_;
    FaultPlan plan_;
    std::unique_ptr<TcpListener> listener_;  // null on a pseudo-terminal and while restarting
    std::uint16_t listenPort_;               // as bound, to listen on again after a restart
    // The link whose update is to set off a restart once its reply has gone.
    std::optional<int> restartAfter_;
    std::optional<Clock::time_point> restartEndsAt_;  // while nothing listens
    EventSet events_;
    bool accepting_ = true;
    std::uint32_t listenerWatched_ = 0;
    int nextId_ = 1;
    std::vector<std::unique_ptr<Link>> links_;
    int endedLinks_ = 0;
    std::vector<std::uint8_t> readBuffer_ = std::vector<std::uint8_t>(kReadChunk);
    std::optional<Clock::time_point> ptyDrainSince_;
    std::optional<int> exitStatus_;  // set when --once ends the run
    const Clock::time_point started_ = Clock::now();
};

int Server::Run() {
    if (!events_.Made()) {
        std::fprintf(stderr, "cannot create an epoll set: %s\n", ErrnoText().c_str());
        return 2;
    }
    for (const auto& link : links_) {
        Watch(*link);
    }
    const std::optional<std::chrono::milliseconds> babbleEvery = plan_.BabbleEvery();
    std::vector<epoll_event> ready(256);
    while (!exitStatus_ && g_stopSignal == 0) {
        WatchListener();
        const int count = events_.Wait(ready, PollTimeoutMs(Clock::now()));
        if (count < 0) {
            // A stop signal ends the wait; the loop's condition sees it.
            if (errno == EINTR) {
                continue;
            }
            std::fprintf(stderr, "epoll_wait failed: %s\n", ErrnoText().c_str());
            return 2;
        }
        for (int i = 0; i < count; ++i) {
            auto* link = static_cast<Link*>(ready[i].data.ptr);
            const std::uint32_t events = ready[i].events;
            if (link == nullptr) {
                Accept();
                continue;
            }
            if ((events & (EPOLLIN | EPOLLHUP | EPOLLERR)) != 0) {
                Read(*link);
            }
            if (!link->ended && (events & EPOLLOUT) != 0) {
                Flush(*link);
            }
            Watch(*link);
        }
        const Clock::time_point now = Clock::now();
        // Replies wait only when told to delay them; otherwise they have
        // all gone out as they were made.
        if (plan_.ReplyDelay().count() > 0) {
            for (const auto& link : links_) {
                if (!link->ended && !link->delayed.empty()) {
                    Release(*link, now);
                    Watch(*link);
                }
            }
        }
        if (babbleEvery) {
            Babble(now, *babbleEvery);
        }
        Restart(now);
        CheckPtyDrained(now);
        if (endedLinks_ > 0) {
            std::erase_if(links_, [](const auto& link) { return link->ended; });
            endedLinks_ = 0;
        }
        if (!listener_ && !restartEndsAt_ && links_.empty() && !exitStatus_) {
            return 2;  // the pseudo-terminal failed; nothing is left to serve
        }
    }
    if (exitStatus_) {
        return *exitStatus_;
    }
    return options_.once ? 1 : 0;
}

void Server::WatchListener() {
    if (listener_) {
        const std::uint32_t wanted = accepting_ ? std::uint32_t{EPOLLIN} : 0;
        events_.Watch(listener_->Descriptor(), nullptr, wanted, listenerWatched_);
    }
}

// Keeps the loop's interest in a link in step with what it can do.
void Server::Watch(Link& link) {
    if (link.ended) {
        link.watched = 0;  // the descriptor is closed, which has taken it out of the set
        return;
    }
    std::uint32_t wanted = 0;
    if (link.Unsent() < kMaxUnsentReplies && plan_.ReadRoom(link.received) > 0) {
        wanted |= EPOLLIN;
    }
    if (link.Unsent() > 0) {
        wanted |= EPOLLOUT;
    }
    events_.Watch(link.transport->Descriptor(), &link, wanted, link.watched);
}

void Server::Accept() {
    for (;;) {
        std::string peer;
        std::unique_ptr<Transport> transport = listener_->Accept(peer);
        if (!transport) {
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                // Out of descriptors or memory: stop accepting (instead of
                // spinning on a listener that stays readable) until a
                // connection ends.
                std::fprintf(stderr, "cannot accept: %s\n", ErrnoText().c_str());
                accepting_ = false;
            }
            return;
        }
        if (const std::optional<std::uint64_t> refused = plan_.RefuseNext()) {
            // Refused outright, as by a recorder still starting up.
            transport->ResetOnClose();
            if (!options_.quiet) {
                std::fprintf(stderr, "refused connection %llu, as told\n",
                             static_cast<unsigned long long>(*refused));
            }
            continue;
        }
        AddLink(std::move(transport));
        Link& link = *links_.back();
        Log(link, "connected from " + peer);
        if (plan_.CutOffDue(0)) {
            CutOff(link);
        }
        Watch(link);
    }
}

void Server::Read(Link& link) {
    if (link.draining) {
        Drain(link);
        return;
    }
    for (int turn = 0; turn < kReadsPerTurn && !link.ended; ++turn) {
        const std::size_t want =
            std::min<std::uint64_t>(readBuffer_.size(), plan_.ReadRoom(link.received));
        if (want == 0) {
            return;  // reads no more, as told
        }
        const ssize_t count = link.transport->Read({readBuffer_.data(), want});
        if (count == 0) {
            End(link, "closed by the client");
            return;
        }
        if (count < 0) {
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                End(link, "receive failed: " + ErrnoText());
            }
            return;
        }
        link.received += static_cast<std::uint64_t>(count);
        const bool intact =
            link.session.Feed({readBuffer_.data(), static_cast<std::size_t>(count)});
        Report(link);
        QueueReplies(link);
        if (link.ended) {
            return;  // a reply could not be sent
        }
        if (!intact) {
            if (!link.transport->IsSerialLine()) {
                End(link, "closed after a malformed request");
                return;
            }
            // A serial line cannot be dropped: forget this chunk and read on.
            link.session.Resync();
            Log(link, "dropped the rest of the received bytes", true);
        }
        // The session stops at the step --hang-up-at names; the plan counts bytes.
        if (link.session.HangUpDue() || plan_.CutOffDue(link.received)) {
            CutOff(link);
            return;
        }
        if (static_cast<std::size_t>(count) < want) {
            SetReadThreshold(link);
            return;  // drained for now
        }
    }
}

// During a file transfer the socket wakes the loop only once a good part
// of the file has arrived, not for every block: a fleet's blocks then cost
// the simulator a fraction of the wakes, and of the CPU it would take from
// the tool it is measured beside. Not when each arrival is traced or a
// fault falls on an exact byte: a small file would be in whole before the
// wake.
void Server::SetReadThreshold(Link& link) {
    constexpr std::uint32_t kFileWake = 64 * 1024;
    if (options_.trace || plan_.CountsEveryByte()) {
        return;
    }
    link.transport->WakeAfter(
        static_cast<int>(std::clamp<std::uint32_t>(link.session.FileBytesAwaited(), 1, kFileWake)));
}

void Server::QueueReplies(Link& link) {
    const Clock::time_point due = Clock::now() + plan_.ReplyDelay();
    for (Reply& reply : link.session.TakeReplies()) {
        link.delayed.push_back({due, std::move(reply)});
    }
    Release(link, Clock::now());
}

void Server::Release(Link& link, Clock::time_point now) {
    bool added = false;
    while (!link.delayed.empty() && link.delayed.front().due <= now) {
        const Reply reply = std::move(link.delayed.front().reply);
        link.delayed.pop_front();
        if (const std::optional<std::string_view> why = plan_.Withholds(link.repliesSent)) {
            Log(link, std::string(*why) + ": reply not sent");
            continue;
        }
        link.out.insert(link.out.end(), reply.bytes.begin(), reply.bytes.end());
        ++link.repliesSent;
        if (reply.kind == ReplyKind::Result) {
            link.resultSent = true;
            link.updateSucceeded = reply.status == recorder_wire::STATUS_OK;
            if (link.updateSucceeded) {
                Updated(link);
            }
        }
        added = true;
    }
    if (added) {
        Flush(link);
    }
}

// The recorder runs the update it was sent: it reports the new version from
// now on and, if told to, restarts once the reply has gone out.
void Server::Updated(const Link& link) {
    if (options_.versionAfterUpdate) {
        behaviour_.versionText = *options_.versionAfterUpdate;
    }
    if (options_.versionNumberAfterUpdate) {
        behaviour_.versionNumber = *options_.versionNumberAfterUpdate;
    }
    if (options_.restartSeconds > 0 && !restartEndsAt_) {
        restartAfter_ = link.id;
    }
}

// Called once per loop turn, after the links' events: a restart drops the
// links only then, so no event of this turn finds its link gone. Nothing
// listens while the recorder restarts, so connects are refused outright.
void Server::Restart(Clock::time_point now) {
    if (restartAfter_) {
        const auto updated = std::find_if(links_.begin(), links_.end(), [this](const auto& link) {
            return link->id == *restartAfter_;
        });
        if (updated != links_.end() && !(*updated)->ended && (*updated)->Unsent() > 0) {
            return;  // the reply to execute goes out first
        }
        restartAfter_.reset();
        restartEndsAt_ = now + std::chrono::seconds(options_.restartSeconds);
        if (!options_.quiet) {
            std::fprintf(stderr, "restarting: refusing connections for %u s\n",
                         options_.restartSeconds);
        }
        listener_.reset();
        listenerWatched_ = 0;  // closing the socket has taken it out of the set
        for (const auto& link : links_) {
            if (!link->ended) {
                End(*link, "dropped by the restart");
            }
        }
        return;
    }
    if (!restartEndsAt_ || now < *restartEndsAt_) {
        return;
    }
    restartEndsAt_.reset();
    std::string error;
    listener_ = TcpListener::Open(options_.listenAddress, listenPort_, error);
    if (!listener_) {
        std::fprintf(stderr, "cannot listen again after the restart: %s\n", error.c_str());
        exitStatus_ = 2;
        return;
    }
    accepting_ = true;
    if (!options_.quiet) {
        std::fprintf(stderr, "restarted: listening on %s again\n", listener_->Address().c_str());
    }
}

// A zero byte per link that is due: eighteen of them make a header that is
// no reply, so a client never gets an answer out of them.
void Server::Babble(Clock::time_point now, Clock::duration every) {
    for (const auto& link : links_) {
        if (link->ended || link->nextBabble > now) {
            continue;
        }
        link->out.push_back(0);
        link->nextBabble = now + every;
        Flush(*link);
        Watch(*link);
    }
}

void Server::Flush(Link& link) {
    while (link.Unsent() > 0) {
        const ssize_t count =
            link.transport->Write({link.out.data() + link.outSent, link.Unsent()});
        if (count >= 0) {
            link.outSent += static_cast<std::size_t>(count);
        } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
            return;
        } else {
            End(link, "send failed: " + ErrnoText());
            return;
        }
    }
    link.out.clear();
    link.outSent = 0;
    // On a serial line the line stays open, so --once ends after the
    // execute reply has been read off it instead of at a disconnect.
    if (link.transport->IsSerialLine() && options_.once && link.resultSent &&
        link.delayed.empty() && !ptyDrainSince_) {
        ptyDrainSince_ = Clock::now();
    }
}

void Server::Report(Link& link) {
    for (const Note& note : link.session.TakeNotes()) {
        const std::string line = "conn " + std::to_string(link.id) + ": " + note.text;
        if (note.kind == NoteKind::FileReceived) {
            PrintResult(line);
        } else if (note.kind == NoteKind::FileBytes) {
            Trace(line);
        } else {
            Log(link, note.text, note.kind == NoteKind::Malformed);
        }
    }
}

void Server::End(Link& link, const std::string& why, bool reset) {
    Report(link);
    const std::string unfinished = link.session.UnfinishedWork();
    Log(link, unfinished.empty() ? why : why + " " + unfinished, !unfinished.empty());
    if (reset) {
        link.transport->ResetOnClose();
    }
    Close(link);
}

// With --trace: a line on stdout with the milliseconds since the start, for
// tests that check when bytes arrived and that a cut-off has happened.
void Server::Trace(const std::string& line) const {
    if (options_.trace) {
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started_);
        PrintResult(line + " at " + std::to_string(ms.count()) + " ms");
    }
}

void Server::CutOff(Link& link) {
    Trace("conn " + std::to_string(link.id) + ": cut off");
    const std::string why = "closing after " + std::to_string(link.received) + " received bytes";
    if (plan_.Resets()) {
        End(link, why + " (reset)", true);
        return;
    }
    if (link.transport->IsSerialLine()) {
        // Closing the master side hangs the line up for whoever holds it;
        // with nothing left to serve, the simulator ends.
        End(link, why + " (hang-up)");
        exitStatus_ = exitStatus_.value_or(link.updateSucceeded ? 0 : 1);
        return;
    }
    // Closing with unread input would make the kernel send RST after all;
    // an orderly close sends FIN and then drops whatever still comes in.
    Report(link);
    const std::string unfinished = link.session.UnfinishedWork();
    Log(link, unfinished.empty() ? why : why + " " + unfinished);
    link.transport->ShutDownSending();
    link.draining = true;
    link.out.clear();
    link.outSent = 0;
    link.delayed.clear();
    Drain(link);
}

void Server::Drain(Link& link) {
    for (int turn = 0; turn < kReadsPerTurn; ++turn) {
        const ssize_t count = link.transport->Read(readBuffer_);
        if (count > 0) {
            continue;
        }
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return;
        }
        Close(link);
        return;
    }
}

void Server::Close(Link& link) {
    link.transport.reset();
    link.ended = true;
    ++endedLinks_;
    accepting_ = true;
    if (options_.once && !exitStatus_) {
        exitStatus_ = link.updateSucceeded ? 0 : 1;
    }
}

int Server::PollTimeoutMs(Clock::time_point now) const {
    std::optional<Clock::time_point> next;
    if (plan_.ReplyDelay().count() > 0) {
        for (const auto& link : links_) {
            if (!link->delayed.empty() && (!next || link->delayed.front().due < *next)) {
                next = link->delayed.front().due;
            }
        }
    }
    if (plan_.BabbleEvery()) {
        for (const auto& link : links_) {
            if (!link->ended && (!next || link->nextBabble < *next)) {
                next = link->nextBabble;
            }
        }
    }
    if (ptyDrainSince_) {
        next = std::min(next.value_or(now + kPtyDrainPoll), now + kPtyDrainPoll);
    }
    if (restartEndsAt_) {
        next = std::min(next.value_or(*restartEndsAt_), *restartEndsAt_);
    }
    if (!next) {
        return -1;
    }
    // Round up so the loop never wakes just before a reply is due.
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*next - now).count();
    return static_cast<int>(std::clamp<long long>(wait, 0, 60'000));
}

// A line that has gone has ended the run already (--once is what waits
// here).
void Server::CheckPtyDrained(Clock::time_point now) {
    if (!ptyDrainSince_ || exitStatus_ || links_.empty()) {
        return;
    }
    const Link& line = *links_.front();
    const std::optional<int> waiting = line.transport->UnreadByClient();
    if (!waiting || *waiting == 0 || now - *ptyDrainSince_ >= kPtyDrainLimit) {
        exitStatus_ = line.updateSucceeded ? 0 : 1;
    }
}

void Server::Log(const Link& link, const std::string& text, bool always) const {
    if (always || !options_.quiet) {
        std::fprintf(stderr, "conn %d: %s\n", link.id, text.c_str());
    }
}

}  // namespace

int ServeTcp(const SimOptions& options) {
    PrepareProcess();
    std::string error;
    std::unique_ptr<TcpListener> listener =
        TcpListener::Open(options.listenAddress, options.listenPort, error);
    if (!listener) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    PrintResult("listening on " + listener->Address());
    return Server(options, std::move(listener)).Run();
}

int ServePty(const SimOptions& options) {
    PrepareProcess();
    std::string device;
    std::string error;
    std::unique_ptr<Transport> line = OpenPtyLine(device, error);
    if (!line) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }
    PrintResult("serial device " + device);
    Server server(options, nullptr);
    server.AddLink(std::move(line));
    return server.Run();
}

}  // namespace trelvo
