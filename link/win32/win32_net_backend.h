#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "link/net_backend.h"
#include "link/send_buffer.h"
#include "link/win32/link_message_window.h"
#include "link/win32/send_batch.h"
#include "link/win32/win32_name_lookups.h"
#include "link/win32/win32_socket.h"

namespace trelvo {

// The network link's sockets on Winsock. Readiness and name lookups'
// answers reach the thread as messages to its hidden link window, so
// whatever message loop runs there drives the link.
//
// Winsock reports received bytes once, so they are read into a buffer of
// the backend's own: the job can look at an incomplete reply and leave it
// without the socket reporting the same bytes again and again. From that
// buffer readiness is reported as long as it holds, as on POSIX.
//
// Inside a send batch (a tick of the loop) sends wait in the backend until
// the batch's end, which may send them from another thread; they count as
// taken. Until they have all gone, the socket takes nothing more outside a
// batch, and a close sends them first, as the socket would have.
class Win32NetBackend final : public NetBackend, private LinkMessageHandler, private BatchedSender {
public:
    // The system's name lookups, unless given others.
    Win32NetBackend();
    explicit Win32NetBackend(Win32NameLookups& lookups);
    ~Win32NetBackend() override;
    Win32NetBackend(const Win32NetBackend&) = delete;
    Win32NetBackend& operator=(const Win32NetBackend&) = delete;

    void SetEvents(NetBackendEvents& events) override { events_ = &events; }
    bool Open() override;
    bool IsOpen() const override { return socket_.IsOpen(); }
    int StartConnect(std::uint32_t address, std::uint16_t port) override;
    // False while another lookup is under way.
    bool StartLookup(const std::string& host) override;
    void CancelLookup() override;
    int NoAddressError() const override { return Win32Socket::kNoAddress; }
    int Send(const std::uint8_t* bytes, int count) override;
    int Receive(std::uint8_t* buffer, int count, bool peek) override;
    int Available() override { return Buffered(); }
    bool InputEnded() override { return inputEnded_; }
    int EndError() override { return endError_; }
    void SetReadThreshold(int bytes) override { readThreshold_ = bytes; }
    void WatchReads(bool on) override { readsWatched_ = on; }
    // Winsock reports room after every send it refused, watched or not.
    void WatchWrites(bool /*on*/) override {}
    void Close() override;

private:
    void OnLinkMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void SendWaiting() override;
    void AfterBatch() override;
    int SendNow(const std::uint8_t* bytes, int count);
    // Offers the bytes waiting outside a batch; true once none wait.
    bool OfferWaiting();
    void LeaveBatch();
    void ReadWaiting();
    void ReportReadable();
    int Buffered() const { return static_cast<int>(received_.size() - receivedFront_); }

    LinkMessageWindow& window_;
    Win32NameLookups& lookups_;
    NetBackendEvents* events_ = nullptr;

    Win32Socket socket_;
    // The message numbers of the open socket's readiness and of the name
    // lookup under way; 0 when there is none.
    UINT socketMessage_ = 0;
    UINT lookupMessage_ = 0;
    WPARAM lookupTicket_ = 0;

    // Bytes taken for the socket that it has not had yet; the batch they
    // wait for, and how many of them its end sent.
    SendBuffer waiting_;
    SendBatch* batch_ = nullptr;
    int batchSent_ = 0;

    // Received bytes the job has not taken, from receivedFront_ on.
    std::vector<std::uint8_t> received_;
    std::size_t receivedFront_ = 0;
    int readThreshold_ = 1;
    bool readsWatched_ = false;
    // The buffer is full: the socket is read again once the job takes.
    bool readingPaused_ = false;
    // Nothing more can arrive, and why.
    bool inputEnded_ = false;
    int endError_ = 0;
};

}  // namespace trelvo
