// A recorder simulator of its own for one test, listening on a free local
// port; its path comes from the build as TRELVO_RECORDER_SIM.
#pragma once

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <cstdint>

namespace trelvo::dialog_testing {

class RecorderSimProcess {
public:
    explicit RecorderSimProcess(const QStringList& options = {}) {
        process_.setProgram(QStringLiteral(TRELVO_RECORDER_SIM));
        process_.setArguments(QStringList{"--listen", "127.0.0.1:0", "--quiet"} + options);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start();
        // The first line names the port: "listening on 127.0.0.1:PORT".
        while (!process_.canReadLine() && process_.waitForReadyRead(10000)) {
        }
        const QString first = QString::fromUtf8(process_.readLine());
        const QRegularExpressionMatch match =
            QRegularExpression(QStringLiteral("^listening on 127\\.0\\.0\\.1:(\\d+)")).match(first);
        port_ = match.hasMatch() ? static_cast<std::uint16_t>(match.captured(1).toUInt()) : 0;
    }
    ~RecorderSimProcess() {
        process_.kill();
        process_.waitForFinished();
    }
    RecorderSimProcess(const RecorderSimProcess&) = delete;
    RecorderSimProcess& operator=(const RecorderSimProcess&) = delete;

    // 0 when the simulator did not start listening.
    std::uint16_t port() const { return port_; }

    // Everything the simulator has printed after its first line.
    QString Output() {
        output_ += QString::fromUtf8(process_.readAllStandardOutput());
        return output_;
    }

private:
    QProcess process_;
    std::uint16_t port_ = 0;
    QString output_;
};

}  // namespace trelvo::dialog_testing
