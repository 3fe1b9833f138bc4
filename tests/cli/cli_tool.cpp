#include "cli_tool.h"

#include <unistd.h>

#include <stdexcept>

namespace trelvo::testing {
namespace {

// Far above any run of these tests; only a hang ever reaches it.
constexpr int kWaitMs = 30000;

void Detach(QProcess& process) {
    process.setChildProcessModifier([] { setsid(); });
}

}  // namespace

Simulator::Simulator(const QStringList& options) {
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    process_.setStandardErrorFile(QProcess::nullDevice());
    process_.start(RECORDER_SIM_PATH, options + QStringList{"--quiet"});
    while (!process_.canReadLine() && process_.waitForReadyRead(kWaitMs)) {
    }
    const QString line = QString::fromUtf8(process_.readLine()).trimmed();
    address_ = line.section(' ', -1);
    if (!line.startsWith("listening on") && !line.startsWith("serial device")) {
        throw std::runtime_error("the simulator did not start: " + line.toStdString());
    }
}

Simulator::~Simulator() {
    process_.kill();
    process_.waitForFinished(kWaitMs);
}

QProcessEnvironment CliEnvironment(const QString& password) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LC_ALL", "C.UTF-8");
    environment.remove("TRELVO_PASSWORD");
    if (!password.isEmpty()) {
        environment.insert("TRELVO_PASSWORD", password);
    }
    return environment;
}

CliRun RunCli(const QStringList& arguments, const QProcessEnvironment& environment,
              const QByteArray& input) {
    QProcess process;
    process.setProcessEnvironment(environment);
    Detach(process);
    process.start(TRELVO_CLI_PATH, arguments);
    process.write(input);
    process.closeWriteChannel();
    CliRun run;
    if (!process.waitForFinished(kWaitMs) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.status = process.exitCode();
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

std::unique_ptr<QProcess> StartCli(const QStringList& arguments,
                                   const QProcessEnvironment& environment) {
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(environment);
    Detach(*process);
    process->start(TRELVO_CLI_PATH, arguments);
    process->closeWriteChannel();
    return process;
}

}  // namespace trelvo::testing
