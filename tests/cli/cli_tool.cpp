#include "cli_tool.h"

#include <unistd.h>

namespace trelvo::testing {
namespace {

// Far above any run of these tests; only a hang ever reaches it.
constexpr int kWaitMs = 30000;

void Detach(QProcess& process) {
    process.setChildProcessModifier([] { setsid(); });
}

// TRELVO_CLI_UNDER_TEST names another command line to run, split at
// spaces (say, "wine .../trelvo-cli.exe"), so these tests check the Windows
// program's results as well; by default the one built beside them. Under
// Wine, TRELVO_CLI_ROOT_DRIVE (say, "Z:") is the drive of the Linux root,
// which the tests' absolute paths are given on.
void StartTool(QProcess& process, const QStringList& arguments) {
    QStringList command =
        qEnvironmentVariable("TRELVO_CLI_UNDER_TEST").split(' ', Qt::SkipEmptyParts);
    if (command.isEmpty()) {
        command = QStringList{TRELVO_CLI_PATH};
    }
    for (const QString& argument : arguments) {
        command += ToolPath(argument);
    }
    const QString program = command.takeFirst();
    process.start(program, command);
}

}  // namespace

QString ToolPath(const QString& path) {
    const QString rootDrive = qEnvironmentVariable("TRELVO_CLI_ROOT_DRIVE");
    return !rootDrive.isEmpty() && path.startsWith('/') ? rootDrive + path : path;
}

bool ToolRunsUnderWine() {
    return !qEnvironmentVariable("TRELVO_CLI_ROOT_DRIVE").isEmpty();
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
    StartTool(process, arguments);
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
    StartTool(*process, arguments);
    process->closeWriteChannel();
    return process;
}

bool ReadUntil(QProcess& cli, const QString& needle, QString& out) {
    while (!out.contains(needle) && cli.waitForReadyRead(30000)) {
        out += QString::fromUtf8(cli.readAllStandardOutput());
    }
    return out.contains(needle);
}

}  // namespace trelvo::testing
