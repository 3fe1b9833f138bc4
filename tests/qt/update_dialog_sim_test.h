// The window with its real links against the recorder simulator: whole
// updates, and an abort in the middle of one followed by a fresh start.
//
// The class lives in a header so that its generated meta-object code is
// compiled apart from the checked sources.
#pragma once

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QProgressBar>
#include <QRegularExpression>
#include <QtTest>
#include <algorithm>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "dialog_harness.h"
#include "recorder_sim_process.h"
#include "scratch_session.h"

namespace trelvo {

class UpdateDialogSimTest : public QObject {
    Q_OBJECT

private:
    // Every state a network update shows, in order; each reply of the
    // simulator waits long enough for ticks to see the state before it.
    const QStringList kStatusOrder{"Verbindungsaufbau", "Passwort wird gesendet",
                                   "Datei wird gesendet", "Prüfe Erfolg", "Keine Verbindung"};

    std::optional<ScratchSession> session_;
    std::optional<trelvo::testing::RecorderSimProcess> sim_;
    std::optional<dialog_testing::Harness> h_;
    QStringList statuses_;
    QList<int> positions_;
    QStringList times_;
    QByteArray file_;

    // One tick as the window's timer gives it, and what it shows.
    void Tick() {
        h_->dialog->OnTimer();
        const QString status = h_->Text("IDC_STATUS");
        if (statuses_.isEmpty() || statuses_.back() != status) {
            statuses_.append(status);
        }
        positions_.append(h_->Control<QProgressBar>("IDC_PROGRESS")->value());
        times_.append(h_->Text("IDC_TIME"));
    }
    // Ticks back to back, letting the link's notifications in between, until
    // `done` holds; the deadline only keeps a stuck update from hanging.
    bool TickUntil(const std::function<bool()>& done) {
        const QDeadlineTimer deadline(60000);
        while (!done() && !deadline.hasExpired()) {
            Tick();
            QCoreApplication::processEvents();
        }
        return done();
    }
    // What the simulator prints once the whole file has arrived intact.
    std::string ReceivedLine() const {
        return "file received 5000 bytes sha256=" +
               QCryptographicHash::hash(file_, QCryptographicHash::Sha256).toHex().toStdString();
    }
    // Starts with a click on Start, or with `key` on the widget with the focus.
    void Start(std::optional<Qt::Key> key = std::nullopt) {
        statuses_.clear();
        positions_.clear();
        times_.clear();
        if (key) {
            h_->Press(*key);
        } else {
            h_->Click("IDC_START");
        }
        Tick();
    }

private slots:
    void init() {
        session_.emplace();
        sim_.emplace(
            QStringList{"--password", "admin", "--update-code", "U-7", "--delay-ms", "200"},
            trelvo::testing::RecorderSimProcess::Lines::AndRequests);
        QVERIFY2(sim_->ok(), sim_->error().c_str());

        DialogParts parts = StandardDialogParts();
        parts.port = sim_->port();
        parts.hostsPath = QString::fromStdString(session_->dir().PathOf("no-lmhosts"));
        h_.emplace(std::move(parts));
        // The message box's own loop goes on ticking and delivering.
        h_->whileMessageOpen = [this] {
            Tick();
            QCoreApplication::processEvents();
        };

        file_.clear();
        for (int i = 0; i < 5000; ++i) {
            file_.append(static_cast<char>(i * 7 + i / 256));
        }
        session_->dir().Write("update.sh", file_.toStdString());
        h_->chosenFile = QString::fromStdString(session_->dir().PathOf("update.sh"));
        h_->Click("IDC_BROWSE");
        h_->Type("IDC_PASSWORD", QStringLiteral("admin"));
        h_->Type("IDC_UPDATE_CODE", QStringLiteral("U-7"));
        h_->Address()->setEditText(QStringLiteral("127.0.0.1"));
    }
    void cleanup() {
        h_.reset();
        sim_.reset();
        session_.reset();
    }

    void wholeUpdate() {
        Start();
        QVERIFY(TickUntil([this] { return !h_->messages.isEmpty(); }));
        Tick();
        QCOMPARE(h_->messages, QStringList{dialog_testing::kSuccess});
        QCOMPARE(statuses_, kStatusOrder);
        QCOMPARE(*std::max_element(positions_.begin(), positions_.end()), 100);
        QVERIFY(std::is_sorted(positions_.begin(), positions_.begin() + positions_.indexOf(100)));
        QVERIFY(times_.indexOf(QRegularExpression(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$"))) >= 0);
        QCOMPARE(times_.back(), QStringLiteral("--:--:--"));
        QCOMPARE(positions_.back(), 0);
        QVERIFY(h_->InputsEnabled());
        QCOMPARE(h_->Text("IDC_EXIT"), QStringLiteral("Beenden"));
        QTRY_COMPARE(sim_->ReceivedFiles().size(), std::size_t{1});
        QVERIFY(sim_->ReceivedFiles().front().ends_with(ReceivedLine()));
    }

    // The recorder is told the file's own name in its code page, in the
    // descriptor and in the execute request; one it cannot read is refused
    // when chosen.
    void fileNameReachesTheRecorderInWindows1252() {
        session_->dir().Write("B\u00f6se Datei.sh", file_.toStdString());
        h_->chosenFile = QString::fromStdString(session_->dir().PathOf("B\u00f6se Datei.sh"));
        h_->Click("IDC_BROWSE");
        Start();
        QVERIFY(TickUntil([this] { return !h_->messages.isEmpty(); }));
        QCOMPARE(h_->messages, QStringList{dialog_testing::kSuccess});
        QCOMPARE(sim_->LinesWith("file descriptor /tmp/B\\xF6se Datei.sh ").size(), std::size_t{1});
        QCOMPARE(sim_->LinesWith("execute /tmp/B\\xF6se Datei.sh").size(), std::size_t{1});

        h_->messages.clear();
        session_->dir().Write("\u0416.sh", file_.toStdString());
        h_->chosenFile = QString::fromStdString(session_->dir().PathOf("\u0416.sh"));
        h_->Click("IDC_BROWSE");
        QCOMPARE(h_->messages,
                 QStringList{QStringLiteral(
                     "Der Dateiname enthält Zeichen, die der Rekorder nicht annimmt")});
        QCOMPARE(h_->Text("IDC_SOURCE_FILE"), QStringLiteral("B\u00f6se Datei.sh"));
    }

    void abortDuringTransferThenFreshStart() {
        Start();
        QVERIFY(TickUntil([this] { return positions_.back() >= 20; }));
        h_->Click("IDC_EXIT");
        Tick();
        QVERIFY(h_->dialog->isVisible());
        QVERIFY(h_->InputsEnabled());
        QCOMPARE(h_->Text("IDC_EXIT"), QStringLiteral("Beenden"));
        QCOMPARE(h_->Text("IDC_STATUS"), QStringLiteral("Keine Verbindung"));
        QVERIFY(h_->messages.isEmpty());

        Start();
        QVERIFY(TickUntil([this] { return !h_->messages.isEmpty(); }));
        QCOMPARE(h_->messages, QStringList{dialog_testing::kSuccess});
        QCOMPARE(statuses_.first(), kStatusOrder.first());
        QTRY_COMPARE(sim_->ReceivedFiles().size(), std::size_t{1});
        QVERIFY(sim_->ReceivedFiles().front().ends_with(ReceivedLine()));
    }

    // Keys on the focus and on the window while the file streams leave the
    // update running; Return after the confirmed message starts the next
    // update with the inputs as they stand.
    void keysDuringATransferThenReturnForTheNext() {
        h_->Control<QLineEdit>("IDC_PASSWORD")->setFocus();
        Start(Qt::Key_Return);
        QVERIFY(TickUntil([this] { return positions_.back() >= 20; }));
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
            h_->Press(key);
            QTest::keyClick(h_->dialog.get(), key);
            Tick();
        }
        QVERIFY(!h_->InputsEnabled());
        QVERIFY(h_->Control<QPushButton>("IDC_START")->isDefault());
        QVERIFY(TickUntil([this] { return !h_->messages.isEmpty(); }));
        QCOMPARE(h_->messages, QStringList{dialog_testing::kSuccess});
        QCOMPARE(h_->FocusedName(), QStringLiteral("IDC_PASSWORD"));

        Start(Qt::Key_Return);
        QVERIFY(!h_->InputsEnabled());
        QVERIFY(TickUntil([this] { return h_->messages.size() == 2; }));
        QCOMPARE(h_->messages.back(), QString(dialog_testing::kSuccess));
        QTRY_COMPARE(sim_->ReceivedFiles().size(), std::size_t{2});
        QVERIFY(sim_->ReceivedFiles().back().ends_with(ReceivedLine()));
    }

    void tabToAbortAndSpaceAborts() {
        Start();
        QVERIFY(TickUntil([this] { return positions_.back() >= 20; }));
        h_->Press(Qt::Key_Tab);
        QCOMPARE(h_->FocusedName(), QStringLiteral("IDC_EXIT"));
        h_->Press(Qt::Key_Space);
        Tick();
        QVERIFY(h_->InputsEnabled());
        QCOMPARE(h_->Text("IDC_STATUS"), QStringLiteral("Keine Verbindung"));
        QVERIFY(h_->messages.isEmpty());
        QCOMPARE(h_->FocusedName(), QStringLiteral("IDC_START"));
    }
};

}  // namespace trelvo
