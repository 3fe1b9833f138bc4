#include <QApplication>

#include "app/qt/update_app.h"

// The exit status tells nothing about an update: every outcome is shown to
// the operator in the window.
int main(int argc, char** argv) {
    trelvo::ToolkitArguments arguments(argc, argv);
    QApplication application(arguments.argc(), arguments.argv());
    trelvo::UpdateApp app;
    app.InitInstance();
    return 0;
}
