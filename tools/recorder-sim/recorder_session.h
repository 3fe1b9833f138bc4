#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "digest/sha256.h"
#include "tools/recorder-sim/recorder_wire.h"

namespace trelvo {

// The access value a recorder sends back for a wrong password.
inline constexpr std::uint32_t ACCESS_NONE = 0;

// Where a recorder hangs up on purpose: on taking the request named (the
// version query, the password, the file descriptor, the execute request)
// instead of answering it, once the first file bytes are in, or right after
// its reply to the execute request.
enum class HangUpStep { Version, Password, Descriptor, File, Execute, Result };

// What the imitated recorder answers. The defaults make a recorder that
// every good client gets through.
struct RecorderBehaviour {
    std::string versionText = "2.0.60";   // network version reply
    std::uint32_t versionNumber = 20070;  // serial version reply
    std::string password = "admin";
    std::optional<std::string> updateCode;               // empty: every code is accepted
    std::uint32_t access = recorder_wire::ACCESS_ADMIN;  // sent when the password matches
    std::uint16_t transferStatus = recorder_wire::STATUS_OK;
    std::uint16_t resultStatus = recorder_wire::STATUS_OK;
    std::optional<HangUpStep> hangUpAt;
};

// Where a received file goes besides the hash, fed as the bytes arrive.
class FileSink {
public:
    virtual ~FileSink() = default;
    // False when the bytes could not be kept; Error() says why.
    virtual bool Write(std::span<const std::uint8_t> bytes) = 0;
    // All announced bytes are in: returns where they were kept, or nothing
    // on failure. A sink destroyed without Commit leaves nothing behind.
    virtual std::optional<std::string> Commit() = 0;
    virtual std::string Error() const = 0;
};

// Makes the sink for one announced file; may return nullptr to keep none.
using SinkFactory =
    std::function<std::unique_ptr<FileSink>(const std::string& remotePath, std::uint32_t size)>;

enum class ReplyKind { Version, Access, Transfer, Result };

struct Reply {
    ReplyKind kind = ReplyKind::Version;
    std::uint16_t status = recorder_wire::STATUS_OK;
    recorder_wire::Bytes bytes;  // header and body as they go on the wire
};

enum class NoteKind {
    Request,       // one line per request and what came of it
    FileReceived,  // "file received N bytes sha256=HEX"
    FileBytes,     // "file bytes N": file bytes received so far, after each piece
    Malformed,     // why the input broke the protocol
};

struct Note {
    NoteKind kind = NoteKind::Request;
    std::string text;
};

// The recorder's side of one connection: takes the client's bytes in pieces
// of any size, checks every request, streams announced file bytes through
// the hash (and a sink) and produces the replies a recorder would send. No
// I/O of its own, so it runs alike against a socket, a pty or a test.
class RecorderSession {
public:
    explicit RecorderSession(const RecorderBehaviour& behaviour, SinkFactory makeSink = {});

    // Takes the next received bytes. False once they have broken the
    // protocol; from then on nothing more is taken until Resync.
    bool Feed(std::span<const std::uint8_t> bytes);
    bool Broken() const { return phase_ == Phase::Broken; }
    // The behaviour's hang-up step has come: the connection is to be
    // closed, and nothing more is taken.
    bool HangUpDue() const { return hangUpDue_; }
    // Forgets a partial message and any transfer and reads the next bytes as
    // a new header; a serial line has no connection to drop after garbage.
    void Resync();

    std::vector<Reply> TakeReplies() { return std::exchange(replies_, {}); }
    std::vector<Note> TakeNotes() { return std::exchange(notes_, {}); }

    // Where the client stopped when it went away mid-message, or empty when
    // it stopped between messages.
    std::string UnfinishedWork() const;
    // File bytes still to come in the transfer under way; 0 outside one.
    std::uint32_t FileBytesAwaited() const {
        return phase_ == Phase::FileData ? transfer_.left : 0;
    }

private:
    enum class Phase { Header, Body, FileData, Broken };

    std::size_t TakeHeader(std::span<const std::uint8_t> bytes);
    std::size_t TakeBody(std::span<const std::uint8_t> bytes);
    std::size_t TakeFileData(std::span<const std::uint8_t> bytes);
    void Dispatch(std::span<const std::uint8_t> body);
    void AnswerVersion();
    void AnswerPassword(std::span<const std::uint8_t> body);
    void StartTransfer(std::span<const std::uint8_t> body);
    void FinishTransfer();
    void AnswerExecute(std::span<const std::uint8_t> body);
    void AddReply(ReplyKind kind, std::uint16_t status, std::uint32_t value,
                  std::span<const std::uint8_t> body);
    void AddNote(NoteKind kind, std::string text);
    void Break(const std::string& problem);
    // True, noting it, when the behaviour hangs up at `step`.
    bool HangsUpAt(HangUpStep step);

    const RecorderBehaviour& behaviour_;
    SinkFactory makeSink_;
    Phase phase_ = Phase::Header;
    recorder_wire::Bytes pending_;  // the header or body taken so far
    recorder_wire::RequestHeader header_;
    bool admin_ = false;
    bool hangUpDue_ = false;

    struct Transfer {
        std::string remotePath;
        std::uint32_t size = 0;
        std::uint32_t left = 0;
        bool allowed = false;
        Sha256 hash;
        std::unique_ptr<FileSink> sink;
    };
    Transfer transfer_;
    std::optional<std::string> receivedPath_;  // the last file taken in full

    std::vector<Reply> replies_;
    std::vector<Note> notes_;
};

}  // namespace trelvo
