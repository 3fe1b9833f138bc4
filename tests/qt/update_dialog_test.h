// The update window driven like an operator drives it, with its job on fake
// links, and the file dialog and message boxes answered at their seams.
//
// The class lives in a header so that its generated meta-object code is
// compiled apart from the checked sources.
#pragma once

#include <stdlib.h>

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QtTest>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "dialog_harness.h"
#include "job_fakes.h"
#include "operator_text_cases.h"
#include "scratch_session.h"
#include "trelvo_version.h"
#include "ui/qt/update_dialog.h"

namespace trelvo {

using dialog_testing::Harness;
using dialog_testing::kOnlyShFiles;

class UpdateDialogTest : public QObject {
    Q_OBJECT

private:
    std::optional<ScratchSession> session_;

    QString Path(const char* name) const {
        return QString::fromStdString(session_->dir().PathOf(name));
    }
    // An update file of `size` bytes in the sub-folder "updates", chosen
    // through the browse button.
    void BrowseUpdateFile(Harness& h, std::size_t size) {
        QDir(Path("")).mkpath(QStringLiteral("updates"));
        session_->dir().Write("updates/u.sh", std::string(size, 'x'));
        h.chosenFile = Path("updates/u.sh");
        h.Click("IDC_BROWSE");
    }
    // Every field filled in for a network job.
    void FillIn(Harness& h, std::size_t size = 5000) {
        BrowseUpdateFile(h, size);
        h.Type("IDC_PASSWORD", QStringLiteral("pä€"));
        h.Type("IDC_UPDATE_CODE", QStringLiteral("CODE-1"));
        h.Address()->setEditText(QStringLiteral("recorder"));
    }
    // A network job started with every field filled in.
    void StartNetworkJob(Harness& h, std::size_t size = 5000) {
        FillIn(h, size);
        h.Click("IDC_START");
    }
    // Starts as the operator does from the keyboard: Return in an edit,
    // Space or Return on Start; or, with "click", with the mouse.
    void StartFrom(Harness& h, const QString& from, Qt::Key key = Qt::Key_Return) {
        if (from == QLatin1String("click")) {
            h.Click("IDC_START");
            return;
        }
        h.dialog->findChild<QWidget*>(from)->setFocus();
        h.Press(key);
    }
    int Starts(const Harness& h) const { return h.Count("net.Connect recorder:30000"); }

private slots:
    void init() { session_.emplace(); }
    void cleanup() { session_.reset(); }

    void window() {
        Harness h;
        QCOMPARE(h.dialog->windowTitle(), QStringLiteral("Trelvo  v" TRELVO_VERSION));
        QCOMPARE(h.dialog->size(), QSize(441, 310));
        QCOMPARE(h.dialog->minimumSize(), h.dialog->maximumSize());
        const Qt::WindowFlags flags = h.dialog->windowFlags();
        QVERIFY(flags.testFlag(Qt::Window) && flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QCOMPARE(h.dialog->font().pointSize(), 8);
        QVERIFY(!h.dialog->windowIcon().isNull());
        QCOMPARE(h.Control<QLineEdit>("IDC_PASSWORD")->echoMode(), QLineEdit::Password);
        QVERIFY(!h.Control<QLineEdit>("IDC_SOURCE_FILE")->isEnabled());
        QVERIFY(!h.LinkKind()->isVisible());
        QVERIFY(h.Address()->isEditable());
        QVERIFY(h.Control<QPushButton>("IDC_START")->isDefault());
    }

    void controlsInTemplateOrder() {
        Harness h;
        QStringList created;
        for (QObject* child : h.dialog->children()) {
            if (child->objectName().startsWith(QLatin1String("IDC_"))) {
                created.append(child->objectName());
            }
        }
        QStringList expected;
        for (const ControlTemplate& row : kDialogTemplate) {
            expected.append(QLatin1String(row.name));
        }
        QCOMPARE(created, expected);
        // Tab order follows: from the password edit through the visible tab stops.
        QStringList tabOrder;
        QWidget* at = h.Control<QLineEdit>("IDC_PASSWORD");
        // The chain is a ring of the window's widgets; a broken one ends the walk too.
        for (int step = 0; step < 100; ++step) {
            if (at->isVisible() && at->isEnabled() && (at->focusPolicy() & Qt::TabFocus)) {
                tabOrder.append(at->objectName());
            }
            at = at->nextInFocusChain();
            if (at == h.Control<QLineEdit>("IDC_PASSWORD")) {
                break;
            }
        }
        tabOrder.removeAll(QString());
        QCOMPARE(tabOrder, QStringList({"IDC_PASSWORD", "IDC_UPDATE_CODE", "IDC_BROWSE",
                                        "IDC_ADDRESS", "IDC_START", "IDC_EXIT"}));
    }

    void geometry_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("pixels");
        QTest::newRow("password") << "IDC_PASSWORD" << QRect(150, 18, 192, 19);
        QTest::newRow("browse") << "IDC_BROWSE" << QRect(405, 102, 21, 20);
        QTest::newRow("start") << "IDC_START" << QRect(275, 280, 75, 22);
        QTest::newRow("exit") << "IDC_EXIT" << QRect(356, 280, 75, 22);
        QTest::newRow("progress") << "IDC_PROGRESS" << QRect(150, 245, 281, 20);
        QTest::newRow("status") << "IDC_STATUS" << QRect(150, 223, 176, 16);
        QTest::newRow("time") << "IDC_TIME" << QRect(150, 202, 50, 13);
        // Closed combo box: the list's height is not part of it.
        QTest::newRow("address") << "IDC_ADDRESS" << QRect(150, 138, 158, 21);
        // Right-aligned labels keep their right edge and reach to the left border.
        QTest::newRow("password label") << "IDC_LABEL_PASSWORD" << QRect(0, 23, 140, 14);
    }
    void geometry() {
        QFETCH(QString, name);
        QFETCH(QRect, pixels);
        Harness h;
        QCOMPARE(h.dialog->findChild<QWidget*>(name)->geometry(), pixels);
    }

    void idleDisplay() {
        Harness h;
        QCOMPARE(h.Text("IDC_STATUS"), QStringLiteral("Keine Verbindung"));
        QCOMPARE(h.Text("IDC_TIME"), QStringLiteral("-- : -- : --"));
        h.dialog->OnTimer();
        QCOMPARE(h.Text("IDC_STATUS"), QStringLiteral("Keine Verbindung"));
        QCOMPARE(h.Text("IDC_TIME"), QStringLiteral("--:--:--"));
        QCOMPARE(h.Control<QProgressBar>("IDC_PROGRESS")->value(), 0);
        QVERIFY(h.InputsEnabled());
    }

    // The widgets show the behaviour's texts and name their controls for
    // assistive technology; the file dialog gets the filter in the toolkit's form.
    void languages_data() {
        QTest::addColumn<QByteArray>("locale");
        QTest::addColumn<QStringList>(
            "labels");  // password, code, file, address, transfer, status, time
        QTest::addColumn<QString>("fileDialog");
        QTest::newRow("german")
            << QByteArray("de_CH.UTF-8")
            << QStringList{"Administrator Passwort:", "Update Code:", "Quelldatei:",
                           "Verbindung zu VDX:",      "Übertragung:", "Status:",
                           "Übertragungsdauer:"}
            << "Updatedatei auswählen|Update Dateien(*.sh) (*.sh)";
        QTest::newRow("english")
            << QByteArray("en_GB.UTF-8")
            << QStringList{"Administrator password:", "Update code:", "Source file:",
                           "Device address:",         "Transfer:",    "Status:",
                           "Transfer time:"}
            << "Choose update file|Update files(*.sh) (*.sh)";
    }
    void languages() {
        QFETCH(QByteArray, locale);
        QFETCH(QStringList, labels);
        QFETCH(QString, fileDialog);
        qputenv("LC_ALL", locale);
        Harness h;
        QStringList shownLabels;
        for (const char* name :
             {"IDC_LABEL_PASSWORD", "IDC_LABEL_CODE", "IDC_LABEL_FILE", "IDC_LABEL_ADDRESS",
              "IDC_LABEL_PROGRESS", "IDC_LABEL_STATUS", "IDC_LABEL_TIME"}) {
            shownLabels.append(h.Text(name));
        }
        QCOMPARE(shownLabels, labels);
        // Each label names its control for assistive technology; the browse
        // button, without a label of its own, carries the source file's.
        const char* labelled[] = {"IDC_PASSWORD", "IDC_UPDATE_CODE", "IDC_SOURCE_FILE",
                                  "IDC_ADDRESS",  "IDC_PROGRESS",    "IDC_STATUS",
                                  "IDC_TIME"};
        for (int i = 0; i < labels.size(); ++i) {
            QAccessibleInterface* field =
                QAccessible::queryAccessibleInterface(h.Control<QWidget>(labelled[i]));
            const auto names = field->relations(QAccessible::Label);
            QCOMPARE(names.size(), 1);
            QCOMPARE(names.first().first->text(QAccessible::Name), labels[i]);
        }
        // The edits and the browse button take it as their name; the address
        // box's name is its text, its label comes with the relation.
        const std::pair<const char*, int> named[] = {
            {"IDC_PASSWORD", 0}, {"IDC_UPDATE_CODE", 1}, {"IDC_SOURCE_FILE", 2}, {"IDC_BROWSE", 2}};
        for (const auto& [name, label] : named) {
            QCOMPARE(QAccessible::queryAccessibleInterface(h.Control<QWidget>(name))
                         ->text(QAccessible::Name),
                     labels[label]);
        }
        // Never translated: the caption and the browse button.
        QCOMPARE(h.dialog->windowTitle(), QStringLiteral("Trelvo  v" TRELVO_VERSION));
        QCOMPARE(h.Text("IDC_BROWSE"), QStringLiteral("..."));
        h.chosenFile = QStringLiteral("/x/readme.txt");
        h.Click("IDC_BROWSE");
        QCOMPARE(h.fileDialogs, QStringList{fileDialog});
    }

    void browse_data() {
        QTest::addColumn<QString>("chosen");  // in the scratch folder; empty: cancelled
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("refused");
        QTest::newRow("cancelled") << ""
                                   << "old.sh" << false;
        QTest::newRow("sh") << "sub/new.sh"
                            << "new.sh" << false;
        QTest::newRow("other") << "sub/n.txt"
                               << "old.sh" << true;
    }
    void browse() {
        QFETCH(QString, chosen);
        QFETCH(QString, field);
        QFETCH(bool, refused);
        Harness h;
        h.chosenFile = Path("old.sh");
        h.Click("IDC_BROWSE");
        h.chosenFile = chosen.isEmpty() ? QString() : Path(chosen.toUtf8().constData());
        QDir(Path("")).mkpath(QStringLiteral("sub"));
        h.Click("IDC_BROWSE");
        QCOMPARE(h.Text("IDC_SOURCE_FILE"), field);
        QCOMPARE(h.messages, refused ? QStringList{kOnlyShFiles} : QStringList{});
        const QString folder = field == QLatin1String("old.sh") ? Path("") : Path("sub");
        QCOMPARE(QDir::current(), QDir(folder));
    }

    // The job opens the bare name in the folder the file dialog left
    // current, and gets the password and code as Windows-1252 bytes.
    void startHandsTheFieldsToTheJob() {
        Harness h;
        h.Type("IDC_PASSWORD", QStringLiteral("Жx"));
        QCOMPARE(h.Text("IDC_PASSWORD"), QStringLiteral("x"));
        h.Control<QLineEdit>("IDC_PASSWORD")->clear();
        StartNetworkJob(h);
        QVERIFY(h.messages.isEmpty());
        QVERIFY(!h.InputsEnabled());
        QCOMPARE(h.Text("IDC_EXIT"), QStringLiteral("Abbrechen"));
        QCOMPARE(h.log.back(), std::string("net.Connect recorder:30000"));
        h.net->events_->OnConnect(0);
        h.Answer(0);
        // The body behind the request's header.
        const Bytes request = h.net->sends.back();
        QVERIFY(Bytes(request.begin() + HEADER_SIZE, request.end()) ==
                (Bytes{0x70, 0xE4, 0x80, 0x00}));
    }

    // Typed key by key, each edit that goes to a recorder keeps what the
    // rule for operator texts keeps and drops the rest.
    void editsTypeOnlyWhatTheRuleAllows() {
        Harness h;
        for (const OperatorTextCase& c : OperatorTextCases()) {
            if (c.refusal == TextRefusal::NotUtf8) {
                continue;
            }
            const QString typed = QString::fromUtf8(c.utf8.data(), qsizetype(c.utf8.size()));
            for (QLineEdit* edit :
                 {h.Control<QLineEdit>("IDC_PASSWORD"), h.Control<QLineEdit>("IDC_UPDATE_CODE"),
                  h.Address()->lineEdit()}) {
                edit->clear();
                for (const QChar unit : typed) {
                    QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(unit),
                                        Qt::NoModifier);
                }
                QVERIFY2((edit->text() == typed) == (c.refusal == TextRefusal::None), c.what);
                QVERIFY2(CheckOperatorText(edit->text().toStdString()) == TextRefusal::None,
                         c.what);
            }
        }
    }

    // Nobody means this machine by an empty address: refused as a failed
    // connect, without a link made or a name looked up.
    void blankAddressIsRefusedBeforeAnyConnection() {
        for (const QString& address : {QString(), QStringLiteral("   ")}) {
            Harness h;
            FillIn(h);
            h.Address()->setEditText(address);
            h.Click("IDC_START");
            QCOMPARE(h.messages, QStringList{QStringLiteral("Verbindungsaufbau fehlgeschlagen")});
            QVERIFY(std::none_of(h.log.begin(), h.log.end(), [](const std::string& e) {
                return e == "net.Create" || e.starts_with("net.Connect");
            }));
            QVERIFY(h.InputsEnabled());
        }
    }

    void exitWhileIdleCloses() {
        Harness h;
        h.Click("IDC_EXIT");
        QTRY_VERIFY(!h.dialog->isVisible());
        QCOMPARE(h.dialog->result(), int(QDialog::Rejected));
    }

    // After every end the focus is back where the job was started from, so
    // Return starts the next job with the inputs as they stand.
    void focusComesBackAfterEveryEnd_data() {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("end");
        QTest::addColumn<QString>("focus");
        QTest::newRow("Return in the password, abort by click") << "IDC_PASSWORD"
                                                                << "click"
                                                                << "IDC_PASSWORD";
        QTest::newRow("Return in the code, Tab and Return on Abort") << "IDC_UPDATE_CODE"
                                                                     << "tab"
                                                                     << "IDC_UPDATE_CODE";
        QTest::newRow("Return in the address, connect failure") << "IDC_ADDRESS"
                                                                << "failure"
                                                                << "IDC_ADDRESS";
        QTest::newRow("Space on Start, refusal") << "IDC_START"
                                                 << "refusal"
                                                 << "IDC_START";
        QTest::newRow("click, success") << "click"
                                        << "success"
                                        << "IDC_START";
    }
    void focusComesBackAfterEveryEnd() {
        QFETCH(QString, from);
        QFETCH(QString, end);
        QFETCH(QString, focus);
        Harness h;
        FillIn(h);
        StartFrom(h, from, from == QLatin1String("IDC_START") ? Qt::Key_Space : Qt::Key_Return);
        QCOMPARE(Starts(h), 1);
        QVERIFY(h.Focused() != h.Control<QPushButton>("IDC_EXIT"));
        if (end == QLatin1String("click")) {
            h.Click("IDC_EXIT");
        } else if (end == QLatin1String("tab")) {
            h.Press(Qt::Key_Tab);
            QCOMPARE(h.FocusedName(), QStringLiteral("IDC_EXIT"));
            h.Press(Qt::Key_Return);
        } else {
            h.net->events_->OnConnect(end == QLatin1String("failure") ? 111 : 0);
            for (int i = 0; end == QLatin1String("success") && i < 4; ++i) {
                h.Answer(i);
            }
            if (end == QLatin1String("refusal")) {
                h.net->Arrive(trelvo::testing::VersionReply("2.0.59"));
            }
        }
        QCOMPARE(h.Count("net.Close"), 1);
        QVERIFY(h.InputsEnabled());
        QCOMPARE(h.FocusedName(), focus);
        QVERIFY(h.Control<QPushButton>("IDC_START")->isDefault());
        h.Press(Qt::Key_Return);
        QCOMPARE(Starts(h), 2);
    }

    // Back in the window while a job runs, the focus is still off Abort and
    // takes Return and Space without effect.
    void focusStaysOffAbortWhenTheWindowIsActivatedAgain() {
        Harness h;
        StartNetworkJob(h);
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        h.dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(h.dialog.get()));
        QVERIFY(QApplication::focusWidget() != nullptr);
        QVERIFY(QApplication::focusWidget() != h.Control<QPushButton>("IDC_EXIT"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(h.Count("net.Close"), 0);
        QVERIFY(!h.Control<QPushButton>("IDC_EXIT")->isDefault());
    }

    // A box opened inside a tick: for a short read of the file (the job
    // closed first) or for the serial success reply, which is polled there
    // and shown before the job closes. The ticks go on under it.
    void ticksGoOnUnderABoxOpenedFromATick_data() {
        QTest::addColumn<bool>("serial");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("statusUnderBox");
        QTest::newRow("short read") << false << "Fehler bei der Übertragung der Datei!"
                                    << "Keine Verbindung";
        QTest::newRow("serial success") << true << dialog_testing::kSuccess << "Prüfe Erfolg";
    }
    void ticksGoOnUnderABoxOpenedFromATick() {
        QFETCH(bool, serial);
        QFETCH(QString, message);
        QFETCH(QString, statusUnderBox);
        using trelvo::testing::Reply;
        Harness h;
        QSignalSpy ticks(h.dialog.get(), &UpdateDialog::Refreshed);
        bool ticking = false;
        QString status;
        h.whileMessageOpen = [&] {
            const qsizetype before = ticks.count();
            ticking = QTest::qWaitFor([&] { return ticks.count() >= before + 3; });
            status = h.Text("IDC_STATUS");
        };
        if (serial) {
            h.LinkKind()->setCurrentIndex(1);
            emit h.LinkKind()->activated(1);
            FillIn(h);
            h.Click("IDC_START");
            for (const Bytes& reply : {Reply(STATUS_OK, MIN_SERIAL_VERSION),
                                       Reply(STATUS_OK, ACCESS_ADMIN), Reply(STATUS_OK)}) {
                h.serial->inbox.Add(reply);
                h.dialog->OnTimer();
            }
            QCOMPARE(h.Text("IDC_STATUS"), QStringLiteral("Prüfe Erfolg"));
            h.serial->inbox.Add(Reply(STATUS_OK));
        } else {
            StartNetworkJob(h);
            h.net->events_->OnConnect(0);
            h.Answer(0);
            h.Answer(1);
            std::filesystem::resize_file(session_->dir().PathOf("updates/u.sh"), 0);
        }
        QTRY_VERIFY(!h.messages.isEmpty());
        QCOMPARE(h.messages, QStringList{message});
        QVERIFY(ticking);
        QCOMPARE(status, statusUnderBox);
        QVERIFY(h.InputsEnabled());
    }

    void cancelWhileBusyClosesJobAndWindow_data() {
        QTest::addColumn<bool>("escape");  // otherwise the close box
        QTest::newRow("escape") << true;
        QTest::newRow("close box") << false;
    }
    void cancelWhileBusyClosesJobAndWindow() {
        QFETCH(bool, escape);
        Harness h;
        StartNetworkJob(h);
        if (escape) {
            QTest::keyClick(h.dialog.get(), Qt::Key_Escape);
        } else {
            h.dialog->close();
        }
        QCOMPARE(h.Count("net.Close"), 1);
        QVERIFY(!h.dialog->isVisible());
        QCOMPARE(h.dialog->result(), int(QDialog::Rejected));
    }

    // The link-kind box is hidden, but its handlers work as written.
    void linkKindHandlers() {
        session_->dir().Write("lmhosts", "1.2.3.4 alpha\n1.2.3.5 beta\n");
        Harness h(Path("lmhosts"));
        // The first name selected shows in the edit field.
        QCOMPARE(h.Address()->count(), 2);
        QCOMPARE(h.Address()->currentText(), QStringLiteral("alpha"));
        h.LinkKind()->setCurrentIndex(1);
        emit h.LinkKind()->activated(1);
        QCOMPARE(h.Address()->count(), 8);
        QCOMPARE(h.Address()->itemText(0), QStringLiteral("4800"));
        QCOMPARE(h.Address()->currentText(), QStringLiteral("115200"));
        // Typing snaps back to the last rate; a rate picked from the list stays.
        QTest::keyClicks(h.Address()->lineEdit(), QStringLiteral("12"));
        QCOMPARE(h.Address()->currentText(), QStringLiteral("115200"));
        h.Address()->setCurrentIndex(2);
        QCOMPARE(h.Address()->currentText(), QStringLiteral("9600"));

        BrowseUpdateFile(h, 3000);
        h.Click("IDC_START");
        QCOMPARE(h.Count("serial.Open COM1 9600 waiting"), 1);
        h.Click("IDC_EXIT");

        h.LinkKind()->setCurrentIndex(0);
        emit h.LinkKind()->activated(0);
        QCOMPARE(h.Address()->count(), 2);
        QCOMPARE(h.Address()->itemText(1), QStringLiteral("beta"));
        QCOMPARE(h.Address()->currentText(), QString());
        // Typing on the network stays as typed.
        QTest::keyClicks(h.Address()->lineEdit(), QStringLiteral("10.1.1.1"));
        QCOMPARE(h.Address()->currentText(), QStringLiteral("10.1.1.1"));
    }

    // Plates behind status and time, the picture behind labels and behind
    // the disabled password and code edits, the standard look elsewhere.
    void appearance() {
        Harness h;
        const QImage picture(QStringLiteral(":/trelvo/background.png"));
        QCOMPARE(picture.size(), QSize(441, 311));
        const auto pixelAt = [&h](const char* name, QPoint offset) {
            const QRect rect = h.dialog->findChild<QWidget*>(QLatin1String(name))->geometry();
            return rect.topLeft() + offset;
        };
        const QPoint statusPlate = pixelAt("IDC_STATUS", {170, 2});
        const QPoint timePlate = pixelAt("IDC_TIME", {1, 1});
        const QPoint label = pixelAt("IDC_LABEL_STATUS", {20, 7});
        const QPoint password = pixelAt("IDC_PASSWORD", {96, 9});
        const QPoint sourceFile = pixelAt("IDC_SOURCE_FILE", {120, 9});

        h.dialog->OnTimer();
        QImage idle = h.dialog->grab().toImage();
        QCOMPARE(idle.size(), QSize(441, 310));
        QCOMPARE(idle.pixelColor(0, 0), picture.pixelColor(0, 0));
        QCOMPARE(idle.pixelColor(440, 309), picture.pixelColor(440, 309));
        QCOMPARE(idle.pixelColor(statusPlate), QColor(231, 231, 231));
        QCOMPARE(idle.pixelColor(timePlate), QColor(231, 231, 231));
        QCOMPARE(idle.pixelColor(label), picture.pixelColor(label));
        QVERIFY(idle.pixelColor(password) != picture.pixelColor(password));
        QVERIFY(idle.pixelColor(sourceFile) != picture.pixelColor(sourceFile));

        StartNetworkJob(h);
        QImage busy = h.dialog->grab().toImage();
        QCOMPARE(busy.pixelColor(password), picture.pixelColor(password));
        QVERIFY(busy.pixelColor(sourceFile) != picture.pixelColor(sourceFile));
    }
};

}  // namespace trelvo
