// The fleet window, offscreen, updating a fleet of simulated recorders
// while an input event is posted every 100 ms; bench/fleet-window starts
// the simulator and runs this:
//   fleet_window_bench PORT HOSTS_FILE UPDATE_FILE
// HOSTS_FILE lists the recorders ("ADDRESS NAME" lines), all served on
// PORT. Prints one line
//   recorders=N wall_s=X cpu_s=X peak_rss_mib=X input_events=N
//   input_p50_ms=X input_p99_ms=X input_max_ms=X
// where wall_s runs from Start to the run's end; exits 1 when not every
// recorder was updated.
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "cpu_seconds.h"
#include "ui/qt/fleet_window.h"

namespace {

// An otherwise unused key: the window does nothing with it but note when
// it arrives.
constexpr Qt::Key kProbeKey = Qt::Key_F35;

// Notes, for every probe key posted, how long it waited to be handled.
class InputProbe final : public QObject {
public:
    explicit InputProbe(QWidget& target) : target_(target) {
        target_.installEventFilter(this);
        clock_.start();
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            postedAt_.push_back(clock_.nsecsElapsed());
            QCoreApplication::postEvent(&target_,
                                        new QKeyEvent(QEvent::KeyPress, kProbeKey, Qt::NoModifier));
        });
        timer_.start(100);
    }
    void Stop() { timer_.stop(); }
    std::vector<double> LatenciesMs() const { return latenciesMs_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &target_ && event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent*>(event)->key() == kProbeKey) {
            const std::size_t handled = latenciesMs_.size();
            if (handled < postedAt_.size()) {
                latenciesMs_.push_back(
                    static_cast<double>(clock_.nsecsElapsed() - postedAt_[handled]) / 1e6);
            }
            return true;
        }
        return false;
    }

private:
    QWidget& target_;
    QTimer timer_;
    QElapsedTimer clock_;
    std::vector<qint64> postedAt_;
    std::vector<double> latenciesMs_;
};

double Percentile(std::vector<double> values, double fraction) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
    return values[at];
}

template <class Widget>
Widget* Named(QWidget& window, const char* accessibleName) {
    for (auto* widget : window.findChildren<Widget*>()) {
        if (widget->accessibleName() == QLatin1String(accessibleName)) {
            return widget;
        }
    }
    std::fprintf(stderr, "fleet_window_bench: no control named %s\n", accessibleName);
    std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: fleet_window_bench PORT HOSTS_FILE UPDATE_FILE\n");
        return 2;
    }
    const QString hostsFile = QString::fromLocal8Bit(argv[2]);
    const QString updateFile = QString::fromLocal8Bit(argv[3]);
    QTemporaryDir settings;

    trelvo::FleetWindowParts parts;
    parts.port = static_cast<std::uint16_t>(QByteArray(argv[1]).toUInt());
    parts.settings = std::make_unique<trelvo::QtFleetSettings>(settings.filePath("trelvo.conf"));
    parts.hostsPath = hostsFile;
    parts.chooseFile = [&](QWidget*, trelvo::FleetFile kind, bool, const QString&, const QString&,
                           const QString&, const QString&) {
        return kind == trelvo::FleetFile::UpdateFile ? updateFile : hostsFile;
    };
    parts.confirm = [](QWidget*, const QString&) { return true; };
    QStringList messages;
    parts.showMessage = [&messages](QWidget*, const QString& text) { messages.append(text); };
    trelvo::FleetWindow window(std::move(parts));
    window.show();

    Named<QPushButton>(window, "browse")->click();
    Named<QPushButton>(window, "hosts file")->click();
    Named<QLineEdit>(window, "password")->setText(QStringLiteral("admin"));
    Named<QLineEdit>(window, "update code")->setText(QStringLiteral("BENCH"));
    const int recorders = window.behaviour().RowCount();
    Named<QLineEdit>(window, "parallel")->setText(QString::number(recorders));

    InputProbe probe(*Named<QLabel>(window, "summary"));
    const double cpuBefore = CpuSeconds(RUSAGE_SELF);
    QElapsedTimer wall;
    wall.start();
    Named<QPushButton>(window, "start")->click();
    if (!QTest::qWaitFor([&window] { return !window.behaviour().Running(); }, 600000)) {
        std::fprintf(stderr, "fleet_window_bench: the run did not end in 10 minutes\n");
        return 1;
    }
    const double wallS = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    const double cpuS = CpuSeconds(RUSAGE_SELF) - cpuBefore;
    probe.Stop();

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const std::vector<double> latencies = probe.LatenciesMs();
    std::printf(
        "recorders=%d wall_s=%.3f cpu_s=%.2f peak_rss_mib=%.1f input_events=%zu "
        "input_p50_ms=%.2f input_p99_ms=%.2f input_max_ms=%.2f\n",
        recorders, wallS, cpuS, static_cast<double>(usage.ru_maxrss) / 1024, latencies.size(),
        Percentile(latencies, 0.5), Percentile(latencies, 0.99), Percentile(latencies, 1.0));
    for (const QString& message : messages) {
        std::fprintf(stderr, "fleet_window_bench: the window said: %s\n", qPrintable(message));
    }
    const QString summary = Named<QLabel>(window, "summary")->text();
    std::fprintf(stderr, "fleet_window_bench: %s\n", qPrintable(summary));
    return summary.startsWith(QString::number(recorders) + QLatin1Char(' ')) ? 0 : 1;
}
