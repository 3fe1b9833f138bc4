#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>

// The real command line, as a user runs it.
namespace trelvo::testing {

struct CliRun {
    int status = -1;
    QString out;
    QString err;
};

// An environment with English texts, the given password, no terminal.
QProcessEnvironment CliEnvironment(const QString& password);

// Runs trelvo-cli to its end; the child has no controlling terminal, so it
// can never prompt.
CliRun RunCli(const QStringList& arguments, const QProcessEnvironment& environment,
              const QByteArray& input = {});

// A path as the tool under test is given it: under Wine on the drive of
// the Linux root (see cli_tool.cpp), so the tool names it so in its output.
QString ToolPath(const QString& path);

// Whether the tool under test is the Windows program under Wine.
bool ToolRunsUnderWine();

// Starts trelvo-cli and leaves it running.
std::unique_ptr<QProcess> StartCli(const QStringList& arguments,
                                   const QProcessEnvironment& environment);

// Adds the running tool's output to `out` until it holds `needle`; false
// when the tool ends or goes quiet first.
bool ReadUntil(QProcess& cli, const QString& needle, QString& out);

}  // namespace trelvo::testing
