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

// Starts trelvo-cli and leaves it running.
std::unique_ptr<QProcess> StartCli(const QStringList& arguments,
                                   const QProcessEnvironment& environment);

// Adds the running tool's output to `out` until it holds `needle`; false
// when the tool ends or goes quiet first.
bool ReadUntil(QProcess& cli, const QString& needle, QString& out);

}  // namespace trelvo::testing
