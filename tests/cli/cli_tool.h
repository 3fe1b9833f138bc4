#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>

// The real executables, as a user runs them.
namespace trelvo::testing {

// A recorder simulator serving TCP or a pseudo-terminal; `Address` is what
// it printed: "ADDR:PORT" or the device path.
class Simulator {
public:
    explicit Simulator(const QStringList& options);
    ~Simulator();
    const QString& Address() const { return address_; }
    QString Port() const { return address_.section(':', -1); }

private:
    QProcess process_;
    QString address_;
};

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

}  // namespace trelvo::testing
