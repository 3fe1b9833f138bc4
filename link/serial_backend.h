#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace trelvo {

// What a serial backend reports to the link above it, on the thread that
// runs the link.
class SerialBackendEvents {
public:
    // While room is watched: the port can take more output.
    virtual void WhenRoom() = 0;

protected:
    ~SerialBackendEvents() = default;
};

// One platform's serial port beneath the serial link, in the fixed line
// settings: the given rate, 8N1, RTS/CTS handshake, DTR off. No call waits
// for the line.
class SerialBackend {
public:
    // Steps of an open that a device may refuse without the open failing.
    enum Step : unsigned {
        kExclusive = 1U << 0,     // held against other openers
        kSaveSettings = 1U << 1,  // the settings Close puts back
        kLineSettings = 1U << 2,
        kLineRate = 1U << 3,
        kDtrOff = 1U << 4,
        kPurge = 1U << 5,
        kTimeouts = 1U << 6,
    };
    // Told whether each step was done.
    using StepNote = std::function<void(Step step, bool done)>;

    virtual ~SerialBackend() = default;

    virtual void SetEvents(SerialBackendEvents& events) = 0;
    // Opens `device` for this backend alone at `baud` and notes every step
    // it takes; false only when the port cannot be had.
    virtual bool Open(const std::string& device, int baud, const StepNote& note) = 0;
    virtual bool IsOpen() const = 0;
    // Bytes the port took from the front of `bytes` at once; -1 once the
    // line has failed.
    virtual int Write(const std::uint8_t* bytes, int count) = 0;
    virtual void WatchRoom(bool on) = 0;
    // Reports room now if the port has some and tells of it only when asked.
    virtual void CheckRoom() = 0;
    // What the driver holds, up to `count`; 0 when closed or on failure.
    virtual std::uint32_t Read(std::uint8_t* buffer, std::uint32_t count) = 0;
    // 0 when closed or when the driver cannot say.
    virtual std::uint32_t InputCount() = 0;
    // Nothing written waits in the driver; a driver that cannot say counts
    // as drained, so that a transfer never stalls on the question.
    virtual bool OutputDrained() = 0;
    // The open line has hung up or failed.
    virtual bool HasFailed() const = 0;
    // Drops what the driver holds, puts the port's previous settings back
    // and lets it go, without waiting for the line; harmless when closed.
    virtual void Close() = 0;
};

}  // namespace trelvo
