// The fleet window as the tests drive it: its controls found by their
// accessible names, as scripts find them; the file dialog and the message
// box answered at their seams, the Add dialog, the question and the row
// menu driven as the operator drives them.
#pragma once

#include <QAbstractItemModel>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>
#include <string>

#include "scratch_dir.h"
#include "ui/qt/fleet_list_model.h"
#include "ui/qt/fleet_table_view.h"
#include "ui/qt/fleet_window.h"

namespace trelvo::fleet_testing {

// How long a run in these tests may take at most; only a stuck run gets
// near it.
inline constexpr int kRunTimeoutMs = 60000;

inline int ColumnOf(FleetColumn column) {
    return 1 + static_cast<int>(column);
}

struct FleetHarness {
    explicit FleetHarness(std::uint16_t port) {
        FleetWindowParts parts;
        parts.port = port;
        parts.settings =
            std::make_unique<QtFleetSettings>(QString::fromStdString(dir.PathOf("trelvo.conf")));
        parts.hostsPath = QStringLiteral("/nonexistent/lmhosts");
        parts.chooseFile = [this](QWidget*, FleetFile, bool, const QString&, const QString&,
                                  const QString&, const QString&) { return chosenFile; };
        parts.showMessage = [this](QWidget*, const QString& text) { messages.append(text); };
        window = std::make_unique<FleetWindow>(std::move(parts));
        window->show();
        window->activateWindow();
        active = QTest::qWaitForWindowActive(window.get());
    }

    template <class Widget = QWidget>
    Widget* Control(const char* accessibleName) const {
        for (auto* widget : window->findChildren<Widget*>()) {
            if (widget->accessibleName() == QLatin1String(accessibleName)) {
                return widget;
            }
        }
        return nullptr;
    }
    FleetTableView* List() const { return Control<FleetTableView>("recorders"); }
    QAbstractItemModel* Model() const { return List()->model(); }
    QString Cell(int row, FleetColumn column) const {
        return Model()->index(row, ColumnOf(column)).data().toString();
    }
    int Percent(int row) const {
        return Model()
            ->index(row, FleetListModel::kProgressColumn)
            .data(FleetListModel::kPercentRole)
            .toInt();
    }
    bool Checked(int row) const {
        return Model()->index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked;
    }
    QString Summary() const { return Control<QLabel>("summary")->text(); }
    bool Running() const { return window->behaviour().Running(); }

    void Click(const char* name) { QTest::mouseClick(Control<QPushButton>(name), Qt::LeftButton); }
    // Types character by character into the edit, through its validator.
    void Type(const char* name, const QString& text) {
        QTest::keyClicks(Control<QLineEdit>(name), text);
    }
    // Alt and a mnemonic, as the window's shortcut map takes it. A button
    // answers it with an animated click, a moment later.
    void Mnemonic(Qt::Key key) {
        // Shortcuts reach the active window only; the offscreen platform
        // gives the window its activation back only when asked to after a
        // dialog.
        if (!window->isActiveWindow()) {
            window->activateWindow();
            active = QTest::qWaitForWindowActive(window.get());
        }
        QTest::keyClick(window.get(), key, Qt::AltModifier);
    }

    // Runs `act` on the next modal dialog or menu once it is open; it must
    // close it. A window that never opens one leaves `act` unrun.
    void WhenOpen(std::function<void(QWidget*)> act) {
        auto* poll = new QTimer(window.get());
        poll->setInterval(10);
        QObject::connect(poll, &QTimer::timeout, window.get(), [poll, act = std::move(act)] {
            QWidget* open = QApplication::activePopupWidget();
            if (open == nullptr) {
                open = QApplication::activeModalWidget();
            }
            if (open != nullptr) {
                poll->deleteLater();
                poll->stop();
                act(open);
            }
        });
        poll->start();
    }

    // Gives the update file and the secrets, and adds the recorders by
    // keys: Alt+A, the lines typed, then OK.
    // False when the window did not take the file or the recorders.
    [[nodiscard]] bool Prepare(const QString& lines, const std::string& password = "admin") {
        dir.Write("site-2.0.61.sh", std::string(std::size_t{1} << 20, '#'));
        chosenFile = QString::fromStdString(dir.PathOf("site-2.0.61.sh"));
        Click("browse");
        Type("password", QString::fromStdString(password));
        Type("update code", QStringLiteral("UPD-42"));
        // The file's digest is taken on a thread; Start waits for it.
        if (!QTest::qWaitFor([this] { return Control<QPushButton>("start")->isEnabled(); })) {
            return false;
        }
        WhenOpen([lines](QWidget* dialog) {
            auto* edit = dialog->findChild<QPlainTextEdit*>();
            // Line by line: Return in the edit starts the next one.
            for (const QString& line : lines.split(QLatin1Char('\n'))) {
                QTest::keyClicks(edit, line);
                QTest::keyClick(edit, Qt::Key_Return);
            }
            dialog->findChild<QPushButton*>(QStringLiteral("ok"))->click();
        });
        Mnemonic(Qt::Key_A);
        return QTest::qWaitFor([this] { return Model()->rowCount() > 0 || !messages.isEmpty(); });
    }
    // Alt+S, then `key` on the question; whether it was asked.
    bool StartAnswering(Qt::Key key) {
        auto asked = std::make_shared<bool>(false);
        WhenOpen([asked, key](QWidget* box) {
            *asked = true;
            QTest::keyClick(box, key);
        });
        Mnemonic(Qt::Key_S);
        return QTest::qWaitFor([asked] { return *asked; }, 2000);
    }
    bool WaitUntilIdle() {
        return QTest::qWaitFor([this] { return !Running(); }, kRunTimeoutMs);
    }

    ScratchDir dir;
    bool active = false;
    QString chosenFile;
    QStringList messages;
    std::unique_ptr<FleetWindow> window;
};

}  // namespace trelvo::fleet_testing
