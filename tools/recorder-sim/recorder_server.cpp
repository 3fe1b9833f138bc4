#include "tools/recorder-sim/recorder_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <limits>
#include <memory>
#include <vector>

#include "link/posix/retry_on_interrupt.h"
#include "tools/recorder-sim/disk_file_sink.h"

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
    Link(int fdIn, int idIn, bool socketIn, const SimOptions& options)
        : fd(fdIn),
          id(idIn),
          socket(socketIn),
          session(options.behaviour, MakeSaveSinks(options.savePath, options.saveDir, idIn)),
          nextBabble(Clock::now() + std::chrono::milliseconds(options.babbleMs)) {}

    int fd;
    int id;
    bool socket;  // false: the master side of a pseudo-terminal
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
    int readThreshold = 1;      // bytes that must wait before the socket reports readable

    std::size_t Unsent() const { return out.size() - outSent; }
};

class Server {
public:
    Server(const SimOptions& options, int listenFd)
        : options_(options), listenFd_(listenFd), epollFd_(epoll_create1(EPOLL_CLOEXEC)) {}
    ~Server() {
        if (epollFd_ >= 0) {
            close(epollFd_);
        }
    }
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    void AddLink(std::unique_ptr<Link> link) { links_.push_back(std::move(link)); }
    // On a pseudo-terminal the line stays open, so --once ends after the
    // execute reply has been read off it instead of at a disconnect.
    void WatchPtySlave(int slaveFd) { ptySlave_ = slaveFd; }

    int Run();

private:
    void Accept();
    void Read(Link& link);
    std::uint64_t ReadRoom(const Link& link) const;
    void Trace(const std::string& line) const;
    void QueueReplies(Link& link);
    void Release(Link& link, Clock::time_point now);
    void Babble(Clock::time_point now);
    void Flush(Link& link);
    void Report(Link& link);
    void End(Link& link, const std::string& why, bool reset = false);
    void CutOff(Link& link);
    void Drain(Link& link);
    void Close(Link& link);
    void SetReadThreshold(Link& link);
    void WatchListener();
    void Watch(Link& link);
    bool Control(int operation, int fd, std::uint32_t events, void* owner);
    int PollTimeoutMs(Clock::time_point now) const;
    void CheckPtyDrained(Clock::time_point now);
    void Log(const Link& link, const std::string& text, bool always = false) const;

    const SimOptions& options_;
    int listenFd_;
    int epollFd_;
    int ptySlave_ = -1;
    bool accepting_ = true;
    bool listenerWatched_ = false;
    int nextId_ = 1;
    std::uint64_t refused_ = 0;  // connections refused by --refuse-first
    std::vector<std::unique_ptr<Link>> links_;
    int endedLinks_ = 0;
    std::vector<std::uint8_t> readBuffer_ = std::vector<std::uint8_t>(kReadChunk);
    std::optional<Clock::time_point> ptyDrainSince_;
    std::optional<int> exitStatus_;  // set when --once ends the run
    const Clock::time_point started_ = Clock::now();
};

// One epoll set holds every descriptor, so a wake costs what is ready, not
// what is open: a fleet of thousands of connections stays cheap to serve.
int Server::Run() {
    if (epollFd_ < 0) {
        std::fprintf(stderr, "cannot create an epoll set: %s\n", ErrnoText().c_str());
        return 2;
    }
    for (const auto& link : links_) {
        Watch(*link);
    }
    std::vector<epoll_event> ready(256);
    while (!exitStatus_ && g_stopSignal == 0) {
        WatchListener();
        const int count = epoll_wait(epollFd_, ready.data(), static_cast<int>(ready.size()),
                                     PollTimeoutMs(Clock::now()));
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
        if (options_.delayMs > 0) {
            for (const auto& link : links_) {
                if (!link->ended && !link->delayed.empty()) {
                    Release(*link, now);
                    Watch(*link);
                }
            }
        }
        if (options_.babbleMs > 0) {
            Babble(now);
        }
        CheckPtyDrained(now);
        if (endedLinks_ > 0) {
            std::erase_if(links_, [](const auto& link) { return link->ended; });
            endedLinks_ = 0;
        }
        if (listenFd_ < 0 && links_.empty() && !exitStatus_) {
            return 2;  // the pseudo-terminal failed; nothing is left to serve
        }
    }
    if (exitStatus_) {
        return *exitStatus_;
    }
    return options_.once ? 1 : 0;
}

void Server::WatchListener() {
    const bool wanted = listenFd_ >= 0 && accepting_;
    if (wanted != listenerWatched_ &&
        Control(wanted ? EPOLL_CTL_ADD : EPOLL_CTL_DEL, listenFd_, EPOLLIN, nullptr)) {
        listenerWatched_ = wanted;
    }
}

// Keeps the epoll set's interest in a link in step with what it can do. A
// link that wants nothing leaves the set: epoll reports a hang-up whatever
// the mask, and would wake the loop again and again.
void Server::Watch(Link& link) {
    std::uint32_t wanted = 0;
    if (!link.ended) {
        if (link.Unsent() < kMaxUnsentReplies && ReadRoom(link) > 0) {
            wanted |= EPOLLIN;
        }
        if (link.Unsent() > 0) {
            wanted |= EPOLLOUT;
        }
    }
    if (wanted == link.watched) {
        return;
    }
    // An ended link's descriptor is closed, which has taken it out already.
    if (wanted == 0) {
        if (!link.ended) {
            Control(EPOLL_CTL_DEL, link.fd, 0, &link);
        }
        link.watched = 0;
        return;
    }
    if (Control(link.watched == 0 ? EPOLL_CTL_ADD : EPOLL_CTL_MOD, link.fd, wanted, &link)) {
        link.watched = wanted;
    }
}

bool Server::Control(int operation, int fd, std::uint32_t events, void* owner) {
    epoll_event event{};
    event.events = events;
    event.data.ptr = owner;
    if (epoll_ctl(epollFd_, operation, fd, &event) == 0) {
        return true;
    }
    std::fprintf(stderr, "cannot watch descriptor %d: %s\n", fd, ErrnoText().c_str());
    return false;
}

void Server::Accept() {
    for (;;) {
        sockaddr_in peer{};
        socklen_t peerLength = sizeof peer;
        const int fd = RetryOnInterrupt([&] {
            return accept4(listenFd_, reinterpret_cast<sockaddr*>(&peer), &peerLength,
                           SOCK_NONBLOCK | SOCK_CLOEXEC);
        });
        if (fd < 0) {
            if (errno == ECONNABORTED) {
                continue;
            }
            if (errno != EAGAIN && errno != EWOULDBLOCK) {
                // Out of descriptors or memory: stop accepting (instead of
                // spinning on a listener that stays readable) until a
                // connection ends.
                std::fprintf(stderr, "cannot accept: %s\n", ErrnoText().c_str());
                accepting_ = false;
            }
            return;
        }
        if (refused_ < options_.refuseFirst) {
            ++refused_;
            // Linger 0 makes close() send RST: the connection is refused
            // outright, as by a recorder still starting up.
            const linger abortive{1, 0};
            setsockopt(fd, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
            close(fd);
            if (!options_.quiet) {
                std::fprintf(stderr, "refused connection %llu, as told\n",
                             static_cast<unsigned long long>(refused_));
            }
            continue;
        }
        // Replies are small and the client waits for each one.
        const int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        links_.push_back(std::make_unique<Link>(fd, nextId_++, true, options_));
        Link& link = *links_.back();
        char address[INET_ADDRSTRLEN] = "?";
        inet_ntop(AF_INET, &peer.sin_addr, address, sizeof address);
        Log(link,
            "connected from " + std::string(address) + ":" + std::to_string(ntohs(peer.sin_port)));
        if (options_.closeAfterBytes == 0u) {
            CutOff(link);
        }
        Watch(link);
    }
}

// How many more bytes the link may read before it closes or stops reading.
std::uint64_t Server::ReadRoom(const Link& link) const {
    std::uint64_t room = std::numeric_limits<std::uint64_t>::max();
    for (const auto& limit : {options_.closeAfterBytes, options_.stopReadingAfter}) {
        if (limit) {
            room = std::min(room, *limit - std::min(*limit, link.received));
        }
    }
    return room;
}

void Server::Read(Link& link) {
    if (link.draining) {
        Drain(link);
        return;
    }
    for (int turn = 0; turn < kReadsPerTurn && !link.ended; ++turn) {
        const std::size_t want = std::min<std::uint64_t>(readBuffer_.size(), ReadRoom(link));
        if (want == 0) {
            return;  // reads no more, as told
        }
        const ssize_t count = RetryOnInterrupt([&] {
            return link.socket ? recv(link.fd, readBuffer_.data(), want, 0)
                               : read(link.fd, readBuffer_.data(), want);
        });
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
        if (!intact) {
            if (link.socket) {
                End(link, "closed after a malformed request");
                return;
            }
            // A serial line cannot be dropped: forget this chunk and read on.
            link.session.Resync();
            Log(link, "dropped the rest of the received bytes", true);
        }
        if (link.session.HangUpDue()) {
            CutOff(link);
            return;
        }
        if (options_.closeAfterBytes && link.received >= *options_.closeAfterBytes) {
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
// the tool it is measured beside. Not when each arrival is traced, the
// received bytes are counted to the byte, or the first file bytes are to
// end the connection: a small file would be in whole before the wake.
void Server::SetReadThreshold(Link& link) {
    constexpr std::uint32_t kFileWake = 64 * 1024;
    if (!link.socket || options_.trace || options_.closeAfterBytes || options_.stopReadingAfter ||
        options_.behaviour.hangUpAt == HangUpStep::File) {
        return;
    }
    const int threshold =
        static_cast<int>(std::clamp<std::uint32_t>(link.session.FileBytesAwaited(), 1, kFileWake));
    if (threshold != link.readThreshold &&
        setsockopt(link.fd, SOL_SOCKET, SO_RCVLOWAT, &threshold, sizeof threshold) == 0) {
        link.readThreshold = threshold;
    }
}

void Server::QueueReplies(Link& link) {
    const Clock::time_point due = Clock::now() + std::chrono::milliseconds(options_.delayMs);
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
        if (options_.silentAfter && link.repliesSent >= *options_.silentAfter) {
            Log(link, "silent: reply not sent");
            continue;
        }
        if (options_.babbleMs > 0) {
            Log(link, "babbling: reply not sent");
            continue;
        }
        link.out.insert(link.out.end(), reply.bytes.begin(), reply.bytes.end());
        ++link.repliesSent;
        if (reply.kind == ReplyKind::Result) {
            link.resultSent = true;
            link.updateSucceeded = reply.status == recorder_wire::STATUS_OK;
        }
        added = true;
    }
    if (added) {
        Flush(link);
    }
}

// A zero byte per link that is due: eighteen of them make a header that is
// no reply, so a client never gets an answer out of them.
void Server::Babble(Clock::time_point now) {
    const auto every = std::chrono::milliseconds(options_.babbleMs);
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
        const std::uint8_t* from = link.out.data() + link.outSent;
        const ssize_t count = RetryOnInterrupt([&] {
            return link.socket ? send(link.fd, from, link.Unsent(), MSG_NOSIGNAL)
                               : write(link.fd, from, link.Unsent());
        });
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
    if (ptySlave_ >= 0 && options_.once && link.resultSent && link.delayed.empty() &&
        !ptyDrainSince_) {
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
        // Linger 0 makes close() send RST instead of FIN.
        const linger abortive{1, 0};
        setsockopt(link.fd, SOL_SOCKET, SO_LINGER, &abortive, sizeof abortive);
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
    if (options_.reset) {
        End(link, why + " (reset)", true);
        return;
    }
    if (!link.socket) {
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
    shutdown(link.fd, SHUT_WR);
    link.draining = true;
    link.out.clear();
    link.outSent = 0;
    link.delayed.clear();
    Drain(link);
}

void Server::Drain(Link& link) {
    for (int turn = 0; turn < kReadsPerTurn; ++turn) {
        const ssize_t count = RetryOnInterrupt(
            [&] { return recv(link.fd, readBuffer_.data(), readBuffer_.size(), 0); });
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
    close(link.fd);
    link.ended = true;
    ++endedLinks_;
    accepting_ = true;
    if (options_.once && !exitStatus_) {
        exitStatus_ = link.updateSucceeded ? 0 : 1;
    }
}

int Server::PollTimeoutMs(Clock::time_point now) const {
    std::optional<Clock::time_point> next;
    if (options_.delayMs > 0) {
        for (const auto& link : links_) {
            if (!link->delayed.empty() && (!next || link->delayed.front().due < *next)) {
                next = link->delayed.front().due;
            }
        }
    }
    if (options_.babbleMs > 0) {
        for (const auto& link : links_) {
            if (!link->ended && (!next || link->nextBabble < *next)) {
                next = link->nextBabble;
            }
        }
    }
    if (ptyDrainSince_) {
        next = std::min(next.value_or(now + kPtyDrainPoll), now + kPtyDrainPoll);
    }
    if (!next) {
        return -1;
    }
    // Round up so the loop never wakes just before a reply is due.
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*next - now).count();
    return static_cast<int>(std::clamp<long long>(wait, 0, 60'000));
}

void Server::CheckPtyDrained(Clock::time_point now) {
    if (!ptyDrainSince_ || links_.empty()) {
        return;
    }
    int waiting = 0;
    const bool readable = ioctl(ptySlave_, TIOCINQ, &waiting) == 0;
    if (!readable || waiting == 0 || now - *ptyDrainSince_ >= kPtyDrainLimit) {
        exitStatus_ = links_.front()->updateSucceeded ? 0 : 1;
    }
}

void Server::Log(const Link& link, const std::string& text, bool always) const {
    if (always || !options_.quiet) {
        std::fprintf(stderr, "conn %d: %s\n", link.id, text.c_str());
    }
}

int OpenListener(const SimOptions& options) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(options.listenPort);
    if (inet_pton(AF_INET, options.listenAddress.c_str(), &address.sin_addr) != 1) {
        std::fprintf(stderr, "not an IPv4 address: %s\n", options.listenAddress.c_str());
        return -1;
    }
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        std::fprintf(stderr, "cannot create a socket: %s\n", ErrnoText().c_str());
        return -1;
    }
    const int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(fd, SOMAXCONN) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::fprintf(stderr, "cannot listen on %s:%u: %s\n", options.listenAddress.c_str(),
                     static_cast<unsigned>(options.listenPort), ErrnoText().c_str());
        close(fd);
        return -1;
    }
    char text[INET_ADDRSTRLEN] = "?";
    inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    PrintResult("listening on " + std::string(text) + ":" +
                std::to_string(ntohs(address.sin_port)));
    return fd;
}

}  // namespace

int ServeTcp(const SimOptions& options) {
    PrepareProcess();
    const int listenFd = OpenListener(options);
    if (listenFd < 0) {
        return 2;
    }
    Server server(options, listenFd);
    const int status = server.Run();
    close(listenFd);
    return status;
}

int ServePty(const SimOptions& options) {
    PrepareProcess();
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    char name[128] = {};
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0 ||
        ptsname_r(master, name, sizeof name) != 0) {
        std::fprintf(stderr, "cannot open a pseudo-terminal: %s\n", ErrnoText().c_str());
        return 2;
    }
    // Holding the slave open keeps the master from reporting a hang-up
    // while no client has the line open, and lets us set it raw before
    // anyone else sees it: 8-bit clean, no echo, no line editing.
    const int slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios settings{};
    if (slave < 0 || tcgetattr(slave, &settings) != 0 ||
        (cfmakeraw(&settings), tcsetattr(slave, TCSANOW, &settings)) != 0 ||
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK) != 0) {
        std::fprintf(stderr, "cannot set up %s: %s\n", name, ErrnoText().c_str());
        return 2;
    }
    PrintResult("serial device " + std::string(name));
    Server server(options, -1);
    server.AddLink(std::make_unique<Link>(master, 1, false, options));
    server.WatchPtySlave(slave);
    const int status = server.Run();
    close(slave);
    return status;
}

}  // namespace trelvo
