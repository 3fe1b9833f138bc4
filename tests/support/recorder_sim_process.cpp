#include "recorder_sim_process.h"

#include <QDeadlineTimer>
#include <cinttypes>
#include <cstdio>

namespace trelvo::testing {

namespace {

constexpr int kStartTimeoutMs = 10000;
const QString kListening = QStringLiteral("listening on ");
const QString kSerialDevice = QStringLiteral("serial device ");

}  // namespace

RecorderSimProcess::RecorderSimProcess(const QStringList& arguments, Lines lines) {
    QStringList all = arguments;
    if (!all.contains(QStringLiteral("--pty")) && !all.contains(QStringLiteral("--listen"))) {
        all << QStringLiteral("--listen") << QStringLiteral("127.0.0.1:0");
    }
    process_.setProcessChannelMode(lines == Lines::AndRequests ? QProcess::MergedChannels
                                                               : QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral(TRELVO_RECORDER_SIM), all);
    const QDeadlineTimer deadline(kStartTimeoutMs);
    while (!deadline.hasExpired() && !process_.canReadLine()) {
        if (!process_.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
            break;
        }
    }
    if (!process_.canReadLine()) {
        error_ = "the simulator did not start: " + process_.errorString().toStdString();
        return;
    }
    const QString first = QString::fromUtf8(process_.readLine()).trimmed();
    if (first.startsWith(kListening)) {
        bool portOk = false;
        port_ = first.section(QLatin1Char(':'), -1).toUShort(&portOk);
        ok_ = portOk;
    } else if (first.startsWith(kSerialDevice)) {
        device_ = first.mid(kSerialDevice.size()).toStdString();
        ok_ = !device_.empty();
    }
    if (!ok_) {
        error_ = "unexpected first line of the simulator: " + first.toStdString();
    }
}

RecorderSimProcess::~RecorderSimProcess() {
    process_.kill();
    process_.waitForFinished();
}

void RecorderSimProcess::ReadLines() {
    while (process_.canReadLine()) {
        lines_.push_back(QString::fromUtf8(process_.readLine()).trimmed().toStdString());
    }
}

std::vector<std::string> RecorderSimProcess::LinesWith(const std::string& text) {
    process_.waitForReadyRead(0);
    ReadLines();
    std::vector<std::string> found;
    for (const std::string& line : lines_) {
        if (line.find(text) != std::string::npos) {
            found.push_back(line);
        }
    }
    return found;
}

bool RecorderSimProcess::WaitForLineWith(const std::string& text, int timeoutMs) {
    while (LinesWith(text).empty()) {
        if (!process_.waitForReadyRead(timeoutMs)) {
            return false;
        }
    }
    return true;
}

std::vector<std::string> RecorderSimProcess::ReceivedFiles() {
    return LinesWith(": file received ");
}

std::vector<RecorderSimProcess::Arrival> RecorderSimProcess::FileArrivals() {
    std::vector<Arrival> arrivals;
    for (const std::string& line : LinesWith(": file bytes ")) {
        Arrival arrival{};
        if (std::sscanf(line.c_str(), "conn %*d: file bytes %" SCNu64 " at %" SCNd64 " ms",
                        &arrival.bytes, &arrival.ms) == 2) {
            arrivals.push_back(arrival);
        }
    }
    return arrivals;
}

bool RecorderSimProcess::CutOff() {
    return !LinesWith(": cut off at ").empty();
}

}  // namespace trelvo::testing
