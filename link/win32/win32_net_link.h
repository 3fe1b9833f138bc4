#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "job/links.h"
#include "link/send_buffer.h"
#include "link/win32/link_message_window.h"
#include "link/win32/win32_name_lookups.h"
#include "link/win32/win32_socket.h"

namespace trelvo {

// The TCP/IPv4 client connection to a recorder on Winsock. Readiness reaches
// the thread as messages to its hidden link window, so whatever message loop
// runs there drives the link. The job hands over whole messages and file
// blocks; what the socket will not take at once waits in the send buffer.
// Received bytes are read into a buffer of the link's own, so the job can
// look at an incomplete reply and leave it without the socket reporting the
// same bytes again and again.
class Win32NetLink final : public NetLinkInterface, private LinkMessageHandler {
public:
    // The system's name lookups, unless given others.
    Win32NetLink();
    explicit Win32NetLink(Win32NameLookups& lookups);
    ~Win32NetLink() override;
    Win32NetLink(const Win32NetLink&) = delete;
    Win32NetLink& operator=(const Win32NetLink&) = delete;

    void SetEvents(NetLinkEvents* events) override { events_ = events; }
    bool Create() override;
    bool Connect(const std::string& host, std::uint16_t port) override;
    int Receive(std::uint8_t* buffer, int count, ReceiveMode mode) override;
    void SendBuffered(const std::uint8_t* bytes, int count) override;
    int PendingBytes() const override { return sendBuffer_.pendingLength(); }
    void Close() override;

    const SendBuffer& sendBuffer() const { return sendBuffer_; }

private:
    void OnLinkMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void WhenResolved(std::optional<std::uint32_t> address, std::uint16_t port);
    void OfferPending();
    void ReadWaiting();
    void DeliverReadable();
    void PostReadable();
    int Buffered() const { return static_cast<int>(received_.size() - receivedFront_); }

    LinkMessageWindow& window_;
    Win32NameLookups& lookups_;
    NetLinkEvents* events_ = nullptr;

    Win32Socket socket_;
    // The message numbers of the open socket's readiness and of the name
    // lookup under way; 0 when there is none.
    UINT socketMessage_ = 0;
    UINT lookupMessage_ = 0;
    WPARAM lookupTicket_ = 0;
    std::uint16_t lookupPort_ = 0;
    // Counts sockets made and closed, so a handler can tell that the job
    // closed (and perhaps re-made) the socket while it was being notified.
    std::uint32_t generation_ = 0;

    SendBuffer sendBuffer_;

    // Received bytes the job has not taken, from receivedFront_ on.
    std::vector<std::uint8_t> received_;
    std::size_t receivedFront_ = 0;
    // Bytes the job has looked at and left for later, as an incomplete
    // reply; it is notified again only once more have arrived.
    int declinedBytes_ = 0;
    // Counts the job's takes, so a notification can tell whether it took.
    std::uint64_t takes_ = 0;
    // The buffer is full: the socket is read again once the job takes.
    bool readingPaused_ = false;
    // Nothing more can arrive, and why; the job hears of it once, after
    // every byte before it.
    bool inputEnded_ = false;
    int endError_ = 0;
    bool endReported_ = false;
};

}  // namespace trelvo
