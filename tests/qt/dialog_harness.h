// The update window as the tests drive it: its controls found by their
// ids' names, the file dialog and the message boxes answered at their seams.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "job_fakes.h"
#include "ui/qt/update_dialog.h"

namespace trelvo::dialog_testing {

using trelvo::testing::EventLog;

inline constexpr const char* kSuccess = "Aktualisierung erfolgreich beendet";
inline constexpr const char* kOnlyShFiles = "Es sind nur *.sh Dateien gültig";

// One dialog, with what its seams were asked: on fakes, or on the parts a
// test gives (the real links, say).
struct Harness {
    explicit Harness(const QString& hostsPath = QStringLiteral("/nonexistent/lmhosts")) {
        DialogParts parts;
        auto netLink = std::make_unique<trelvo::testing::FakeNetLink>(log);
        auto serialLink = std::make_unique<trelvo::testing::FakeSerialLink>(log);
        net = netLink.get();
        serial = serialLink.get();
        parts.net = std::move(netLink);
        parts.serial = std::move(serialLink);
        parts.clock = std::make_unique<trelvo::testing::FakeClock>();
        parts.hostsPath = hostsPath;
        Open(std::move(parts));
    }
    explicit Harness(DialogParts parts) { Open(std::move(parts)); }

    template <class Widget>
    Widget* Control(const char* name) const {
        return dialog->findChild<Widget*>(QLatin1String(name));
    }
    QString Text(const char* name) const {
        if (auto* label = Control<QLabel>(name)) {
            return label->text();
        }
        if (auto* button = Control<QPushButton>(name)) {
            return button->text();
        }
        return Control<QLineEdit>(name)->text();
    }
    void Click(const char* name) { QTest::mouseClick(Control<QPushButton>(name), Qt::LeftButton); }
    // The widget that has the window's keyboard focus, active or not.
    QWidget* Focused() const { return dialog->focusWidget(); }
    QString FocusedName() const { return Focused() ? Focused()->objectName() : QString(); }
    // A key as the operator presses it: on the widget with the focus.
    void Press(Qt::Key key) { QTest::keyClick(Focused(), key); }
    // Types character by character, through the edit's validator; the text
    // may hold characters beyond Latin-1.
    void Type(const char* name, const QString& text) {
        for (const QChar c : text) {
            QTest::sendKeyEvent(QTest::Click, Control<QLineEdit>(name), Qt::Key_unknown, QString(c),
                                Qt::NoModifier);
        }
    }
    QComboBox* Address() const { return Control<QComboBox>("IDC_ADDRESS"); }
    QComboBox* LinkKind() const { return Control<QComboBox>("IDC_LINK_KIND"); }
    bool InputsEnabled() const {
        for (const char* name : {"IDC_PASSWORD", "IDC_UPDATE_CODE", "IDC_BROWSE", "IDC_LINK_KIND",
                                 "IDC_ADDRESS", "IDC_START"}) {
            if (!dialog->findChild<QWidget*>(QLatin1String(name))->isEnabled()) {
                return false;
            }
        }
        return true;
    }
    // The recorder's replies for a good update, in order.
    void Answer(int index) {
        const Bytes replies[] = {trelvo::testing::VersionReply("2.0.60"),
                                 trelvo::testing::Reply(STATUS_OK, ACCESS_ADMIN),
                                 trelvo::testing::Reply(STATUS_OK),
                                 trelvo::testing::Reply(STATUS_OK)};
        net->Arrive(replies[index]);
    }
    int Count(const std::string& entry) const {
        return static_cast<int>(std::count(log.begin(), log.end(), entry));
    }

    // Answers the file dialog and the message boxes, then shows the window.
    void Open(DialogParts parts) {
        parts.chooseFile = [this](QWidget*, const QString& title, const QString& filter) {
            fileDialogs.append(title + QLatin1Char('|') + filter);
            return chosenFile;
        };
        parts.showMessage = [this](QWidget*, const QString& text) {
            messages.append(text);
            startEnabledAtMessage = Control<QPushButton>("IDC_START")->isEnabled();
            if (whileMessageOpen) {
                std::exchange(whileMessageOpen, nullptr)();
            }
        };
        dialog = std::make_unique<UpdateDialog>(std::move(parts));
        dialog->show();
    }

    EventLog log;
    trelvo::testing::FakeNetLink* net = nullptr;
    trelvo::testing::FakeSerialLink* serial = nullptr;
    QString chosenFile;
    QStringList fileDialogs;
    QStringList messages;
    bool startEnabledAtMessage = false;
    std::function<void()> whileMessageOpen;
    std::unique_ptr<UpdateDialog> dialog;
};

}  // namespace trelvo::dialog_testing
