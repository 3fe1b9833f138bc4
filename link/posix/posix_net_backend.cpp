#include "link/posix/posix_net_backend.h"

#include <cerrno>

#include "link/net_link.h"
#include "link/posix/posix_socket_layer.h"
#include "link/posix/threaded_name_resolver.h"

namespace trelvo {

namespace {

SocketLayer& SystemSockets() {
    static PosixSocketLayer layer;
    return layer;
}

NameResolver& SystemResolver() {
    static ThreadedNameResolver resolver;
    return resolver;
}

}  // namespace

NetLink::NetLink() : NetLink(std::make_unique<PosixNetBackend>()) {}

PosixNetBackend::PosixNetBackend() : PosixNetBackend(SystemSockets()) {}

PosixNetBackend::PosixNetBackend(SocketLayer& layer) : PosixNetBackend(layer, SystemResolver()) {}

PosixNetBackend::PosixNetBackend(SocketLayer& layer, NameResolver& resolver)
    : layer_(layer),
      resolver_(resolver),
      watch_([this] { events_->WhenReadable(); }, [this] { WhenWritable(); }) {}

PosixNetBackend::~PosixNetBackend() {
    Close();
}

bool PosixNetBackend::Open() {
    const int socket = layer_.Open();
    if (socket == -1) {
        return false;
    }
    socket_ = socket;
    // Neither direction is watched until there is something to wait for.
    watch_.SetDescriptor(socket);
    if (!layer_.BindAnyPort(socket)) {
        Close();
        return false;
    }
    return true;
}

int PosixNetBackend::StartConnect(std::uint32_t address, std::uint16_t port) {
    errno = 0;
    if (layer_.Connect(socket_, address, port) == SocketLayer::ConnectStart::Failed) {
        // The job takes 0 for success, so a failure always carries a reason.
        return errno != 0 ? errno : ECONNREFUSED;
    }
    // A connect that is done at once takes the same road as one under way:
    // the socket is writable, and that notification reports the end.
    connecting_ = true;
    ApplyWriteWatch();
    return 0;
}

bool PosixNetBackend::StartLookup(const std::string& host) {
    lookup_ = resolver_.Start(
        host, [this](std::optional<std::uint32_t> address) { WhenResolved(address); });
    return true;
}

void PosixNetBackend::WhenResolved(std::optional<std::uint32_t> address) {
    lookup_.reset();
    events_->WhenResolved(address);
}

int PosixNetBackend::NoAddressError() const {
    return EHOSTUNREACH;
}

int PosixNetBackend::Send(const std::uint8_t* bytes, int count) {
    return layer_.Send(socket_, bytes, count);
}

int PosixNetBackend::Receive(std::uint8_t* buffer, int count, bool peek) {
    return layer_.Receive(socket_, buffer, count, peek);
}

void PosixNetBackend::WatchWrites(bool on) {
    writesWatched_ = on;
    ApplyWriteWatch();
}

// A connect under way is watched for whatever the link wants.
void PosixNetBackend::ApplyWriteWatch() {
    watch_.WatchWrites(socket_ != -1 && (connecting_ || writesWatched_));
}

void PosixNetBackend::WhenWritable() {
    if (!connecting_) {
        events_->WhenWritable();
        return;
    }
    connecting_ = false;
    const int error = layer_.TakeError(socket_);
    ApplyWriteWatch();
    events_->WhenConnected(error);
}

void PosixNetBackend::Close() {
    if (socket_ == -1) {
        return;
    }
    // The watch delivers nothing more, not even readiness already collected;
    // it is kept for the next socket, as this may run inside its own handlers.
    watch_.SetDescriptor(-1);
    layer_.Close(socket_);
    socket_ = -1;
    connecting_ = false;
    writesWatched_ = false;
}

}  // namespace trelvo
