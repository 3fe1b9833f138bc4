// Takes the README's picture of the fleet window during a run on a real X
// server, against recorder simulators on 127.0.0.1 to .6 (one refuses the
// password, one hangs up mid-file):
//   LC_ALL=en_US.UTF-8 xvfb-run -a -s "-screen 0 1280x800x24" fleet_window_screenshot docs
// writes docs/fleet-window-run.png. Built on request only:
//   cmake --build build/default --target fleet_window_screenshot
#include <QAbstractItemModel>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QtTest>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "recorder_sim_process.h"
#include "scratch_dir.h"
#include "ui/qt/fleet_window.h"

namespace {

template <class Widget>
Widget* Named(QWidget& window, const char* accessibleName) {
    for (auto* widget : window.findChildren<Widget*>()) {
        if (widget->accessibleName() == QLatin1String(accessibleName)) {
            return widget;
        }
    }
    return nullptr;
}

int TakeScreenshot(const QDir& out) {
    const std::vector<QStringList> behaviours = {
        {},
        {},
        {QStringLiteral("--password"), QStringLiteral("other")},
        {},
        {QStringLiteral("--close-after-bytes"), QStringLiteral("200000")},
        {}};
    std::vector<std::unique_ptr<trelvo::testing::RecorderSimProcess>> sims;
    std::uint16_t port = 0;
    for (std::size_t i = 0; i < behaviours.size(); ++i) {
        QStringList arguments = behaviours[i];
        arguments << QStringLiteral("--quiet") << QStringLiteral("--listen")
                  << QStringLiteral("127.0.0.%1:%2").arg(i + 1).arg(port);
        sims.push_back(std::make_unique<trelvo::testing::RecorderSimProcess>(arguments));
        if (!sims.back()->ok()) {
            std::fprintf(stderr, "fleet_window_screenshot: %s\n", sims.back()->error().c_str());
            return 1;
        }
        port = sims.back()->port();
    }
    const trelvo::ScratchDir dir;
    dir.Write("site-2.0.61.sh", std::string(std::size_t{5} * 1024 * 1024, '#'));
    dir.Write("hosts",
              "127.0.0.1 office\n127.0.0.2 store\n127.0.0.3 gate-north\n127.0.0.4 gate-south\n"
              "127.0.0.5 loading-bay\n127.0.0.6 reception\n");

    trelvo::FleetWindowParts parts;
    parts.port = port;
    parts.settings = std::make_unique<trelvo::QtFleetSettings>(
        QString::fromStdString(dir.PathOf("trelvo.conf")));
    parts.hostsPath = QString::fromStdString(dir.PathOf("hosts"));
    parts.chooseFile = [&dir](QWidget*, trelvo::FleetFile kind, bool, const QString&,
                              const QString&, const QString&, const QString&) {
        return QString::fromStdString(
            dir.PathOf(kind == trelvo::FleetFile::UpdateFile ? "site-2.0.61.sh" : "hosts"));
    };
    parts.confirm = [](QWidget*, const QString&) { return true; };
    parts.showMessage = [](QWidget*, const QString&) {};
    trelvo::FleetWindow window(std::move(parts));
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "fleet_window_screenshot: the window never showed\n");
        return 1;
    }
    Named<QPushButton>(window, "browse")->click();
    Named<QPushButton>(window, "hosts file")->click();
    Named<QLineEdit>(window, "password")->setText(QStringLiteral("admin"));
    Named<QLineEdit>(window, "update code")->setText(QStringLiteral("UPD-42"));
    Named<QLineEdit>(window, "parallel")->setText(QStringLiteral("4"));
    auto* start = Named<QPushButton>(window, "start");
    // The file's digest is taken on a thread; Start waits for it.
    if (!QTest::qWaitFor([start] { return start->isEnabled(); })) {
        std::fprintf(stderr, "fleet_window_screenshot: the update file was not read\n");
        return 1;
    }
    start->click();
    // Far enough that bars, results and waiting rows all show.
    QAbstractItemModel* list = Named<trelvo::FleetTableView>(window, "recorders")->model();
    const bool underWay = QTest::qWaitFor(
        [list] {
            return list->index(0, trelvo::FleetListModel::kProgressColumn)
                       .data(trelvo::FleetListModel::kPercentRole)
                       .toInt() >= 30;
        },
        30000);
    const bool saved = underWay && window.screen()
                                       ->grabWindow(window.winId())
                                       .save(out.filePath(QStringLiteral("fleet-window-run.png")));
    Named<QPushButton>(window, "abort")->click();
    const bool ended = QTest::qWaitFor([&window] { return !window.behaviour().Running(); }, 10000);
    if (!saved || !ended) {
        std::fprintf(stderr, "fleet_window_screenshot: no run to picture, or no picture written\n");
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: fleet_window_screenshot OUTPUT_FOLDER\n");
        return 2;
    }
    try {
        return TakeScreenshot(QDir(QDir(QString::fromLocal8Bit(argv[1])).absolutePath()));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "fleet_window_screenshot: %s\n", error.what());
        return 1;
    }
}
