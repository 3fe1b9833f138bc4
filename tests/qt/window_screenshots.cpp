// Takes the README's two pictures of the window on a real X server, against
// the recorder simulator:
//   LC_ALL=en_US.UTF-8 xvfb-run -a -s "-screen 0 1024x768x24" window_screenshots docs
// writes docs/window-idle.png (fields filled in, ready to start) and
// docs/window-transfer.png (a 5 MB file under way). Built on request only:
//   cmake --build build/default --target window_screenshots
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QtTest>
#include <cstdio>
#include <exception>
#include <string>

#include "recorder_sim_process.h"
#include "scratch_dir.h"
#include "ui/qt/update_dialog.h"

namespace {

bool Save(trelvo::UpdateDialog& dialog, const QDir& folder, const char* name) {
    const QPixmap shot = dialog.screen()->grabWindow(dialog.winId());
    return shot.save(folder.filePath(QString::fromLatin1(name)));
}

int TakeScreenshots(const QDir& out) {
    trelvo::testing::RecorderSimProcess sim({QStringLiteral("--quiet")});
    if (!sim.ok()) {
        std::fprintf(stderr, "window_screenshots: %s\n", sim.error().c_str());
        return 1;
    }
    const trelvo::ScratchDir dir;
    dir.Write("update-1.1.2.sh", std::string(std::size_t{5} * 1024 * 1024, '#'));
    dir.Write("lmhosts", "127.0.0.1 localhost\n");

    trelvo::DialogParts parts = trelvo::StandardDialogParts();
    parts.port = sim.port();
    parts.hostsPath = QString::fromStdString(dir.PathOf("lmhosts"));
    parts.chooseFile = [&dir](QWidget*, const QString&, const QString&) {
        return QString::fromStdString(dir.PathOf("update-1.1.2.sh"));
    };
    trelvo::UpdateDialog dialog(std::move(parts));
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog)) {
        std::fprintf(stderr, "window_screenshots: the window never showed\n");
        return 1;
    }
    dialog.findChild<QLineEdit*>(QStringLiteral("IDC_PASSWORD"))->setText(QStringLiteral("admin"));
    dialog.findChild<QLineEdit*>(QStringLiteral("IDC_UPDATE_CODE"))->setText(QStringLiteral("U-7"));
    dialog.findChild<QPushButton*>(QStringLiteral("IDC_BROWSE"))->click();
    QTest::qWait(300);
    const bool idleSaved = Save(dialog, out, "window-idle.png");

    auto* progress = dialog.findChild<QProgressBar*>(QStringLiteral("IDC_PROGRESS"));
    dialog.findChild<QPushButton*>(QStringLiteral("IDC_START"))->click();
    const bool underWay = QTest::qWaitFor([progress] { return progress->value() >= 40; }, 30000);
    const bool transferSaved = underWay && Save(dialog, out, "window-transfer.png");
    dialog.findChild<QPushButton*>(QStringLiteral("IDC_EXIT"))->click();
    if (!idleSaved || !transferSaved) {
        std::fprintf(stderr, "window_screenshots: could not take or write both pictures\n");
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_screenshots OUTPUT_FOLDER\n");
        return 2;
    }
    try {
        // Absolute: choosing the update file makes its folder the current one.
        return TakeScreenshots(QDir(QDir(QString::fromLocal8Bit(argv[1])).absolutePath()));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "window_screenshots: %s\n", error.what());
        return 1;
    }
}
