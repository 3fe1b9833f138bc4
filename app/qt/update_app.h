#pragma once

#include <QString>
#include <array>
#include <functional>
#include <string>

#include "ui/qt/dialog_parts.h"

class QWidget;

namespace trelvo {

// The command line as the toolkit gets it: the program's name alone. The
// window takes no command line, and the toolkit's own options (-style,
// -reverse, -platform ...) are not applied either. The application object
// keeps references to both, so this must outlive it.
class ToolkitArguments {
public:
    ToolkitArguments(int argc, char** argv);
    ToolkitArguments(const ToolkitArguments&) = delete;
    ToolkitArguments& operator=(const ToolkitArguments&) = delete;

    int& argc() { return argc_; }
    char** argv() { return argv_.data(); }

private:
    std::string name_;
    int argc_ = 1;
    std::array<char*, 2> argv_{};
};

// True when an IPv4 stream socket can be made, which is all the program
// asks of the platform's socket layer.
bool SocketLayerReady();

// The program: checks the socket layer, then runs the update window
// modally until it closes. It keeps no settings and reads no command line.
class UpdateApp {
public:
    // The platform's socket check, message box and dialog parts, unless a
    // test gives others.
    explicit UpdateApp(std::function<bool()> socketLayerReady = SocketLayerReady,
                       std::function<void(QWidget*, const QString&)> showMessage = ShowWarning,
                       std::function<DialogParts()> dialogParts = StandardDialogParts);

    // Returns once the window has closed; without a socket layer, once the
    // operator has confirmed the message, and no window is made.
    void InitInstance();

private:
    std::function<bool()> socketLayerReady_;
    std::function<void(QWidget*, const QString&)> showMessage_;
    std::function<DialogParts()> dialogParts_;
};

}  // namespace trelvo
