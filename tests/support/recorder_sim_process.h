#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

namespace trelvo::testing {

// The recorder simulator running as a child process for one test. Starts on
// construction and waits until it serves: on TCP at a free port of
// 127.0.0.1 unless the arguments say otherwise, or on a pseudo-terminal
// with "--pty". Killed when the object goes.
class RecorderSimProcess {
public:
    // What the tests read of the simulator's output: the results on its
    // standard output, and with AndRequests also the line it writes to its
    // standard error for each request it answers, which otherwise goes to
    // the test's own.
    enum class Lines { Results, AndRequests };
    explicit RecorderSimProcess(const QStringList& arguments, Lines lines = Lines::Results);
    ~RecorderSimProcess();
    RecorderSimProcess(const RecorderSimProcess&) = delete;
    RecorderSimProcess& operator=(const RecorderSimProcess&) = delete;

    // False when the simulator did not come up; why is in error().
    bool ok() const { return ok_; }
    const std::string& error() const { return error_; }

    std::uint16_t port() const { return port_; }
    // The serial device of "--pty".
    const std::string& device() const { return device_; }

    // The "file received" lines printed so far (reads what has arrived).
    std::vector<std::string> ReceivedFiles();

    // With "--trace": when file bytes arrived, as (bytes so far, ms since
    // the simulator started), and whether a connection has been cut off.
    struct Arrival {
        std::uint64_t bytes;
        std::int64_t ms;
    };
    std::vector<Arrival> FileArrivals();
    bool CutOff();
    // Every line printed so far that holds the text.
    std::vector<std::string> LinesWith(const std::string& text);
    // Waits until a line holding the text has been printed; false when the
    // simulator ended or went quiet for `timeoutMs` first.
    bool WaitForLineWith(const std::string& text, int timeoutMs = 30000);

private:
    void ReadLines();

    QProcess process_;
    bool ok_ = false;
    std::string error_;
    std::uint16_t port_ = 0;
    std::string device_;
    std::vector<std::string> lines_;
};

}  // namespace trelvo::testing
