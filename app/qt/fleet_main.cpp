#include <QApplication>

#include "app/qt/update_app.h"
#include "ui/qt/fleet_window.h"

// The fleet window; every outcome is shown in it and in the reports it
// exports, so the exit status tells nothing about the updates.
int main(int argc, char** argv) {
    trelvo::ToolkitArguments arguments(argc, argv);
    QApplication application(arguments.argc(), arguments.argv());
    QGuiApplication::setDesktopFileName(QStringLiteral("trelvo-fleet"));
    trelvo::FleetWindow window{trelvo::FleetWindowParts{}};
    window.show();
    QApplication::exec();
    return 0;
}
