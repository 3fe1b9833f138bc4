// The window when the recorder hangs up: the operator is told at once and
// gets the inputs back as typed; a recorder that is connected but silent
// still waits for the operator, however long.
//
// The class lives in a header so that its generated meta-object code is
// compiled apart from the checked sources.
#pragma once

#include <QDir>
#include <QLineEdit>
#include <QtTest>
#include <algorithm>
#include <memory>
#include <optional>

#include "dialog_harness.h"
#include "job_fakes.h"
#include "scratch_session.h"

namespace trelvo {

class HangUpTest : public QObject {
    Q_OBJECT

private:
    std::optional<ScratchSession> session_;
    testing::EventLog log_;
    std::optional<dialog_testing::Harness> h_;
    testing::FakeClock* clock_ = nullptr;

    // A network job that has sent the file descriptor and streams the file.
    void StartTransfer() {
        h_->Click("IDC_START");
        h_->net->events_->OnConnect(0);
        h_->Answer(0);
        h_->Answer(1);
        h_->dialog->OnTimer();
        QCOMPARE(h_->Text("IDC_STATUS"), QStringLiteral("Datei wird gesendet"));
    }

private slots:
    void init() {
        log_.clear();
        session_.emplace();
        DialogParts parts;
        auto net = std::make_unique<testing::FakeNetLink>(log_);
        auto clock = std::make_unique<testing::FakeClock>();
        testing::FakeNetLink* rawNet = net.get();
        clock_ = clock.get();
        parts.net = std::move(net);
        parts.serial = std::make_unique<testing::FakeSerialLink>(log_);
        parts.clock = std::move(clock);
        parts.hostsPath = QStringLiteral("/nonexistent/lmhosts");
        h_.emplace(std::move(parts));
        h_->net = rawNet;
        session_->dir().Write("u.sh", std::string(5000, 'x'));
        h_->chosenFile = QString::fromStdString(session_->dir().PathOf("u.sh"));
        h_->Click("IDC_BROWSE");
        h_->Type("IDC_PASSWORD", QStringLiteral("pä€"));
        h_->Type("IDC_UPDATE_CODE", QStringLiteral("CODE-1"));
        h_->Address()->setEditText(QStringLiteral("recorder"));
    }
    void cleanup() {
        h_.reset();
        session_.reset();
    }

    void hangUpShowsTheMessageAndGivesTheInputsBack_data() {
        QTest::addColumn<bool>("reset");
        QTest::newRow("orderly close") << false;
        QTest::newRow("reset") << true;
    }
    void hangUpShowsTheMessageAndGivesTheInputsBack() {
        QFETCH(bool, reset);
        StartTransfer();
        QVERIFY(!h_->InputsEnabled());
        h_->net->HangUpBy(reset ? testing::FakeNetLink::HangUp::Rst
                                : testing::FakeNetLink::HangUp::Fin);
        QCOMPARE(h_->messages, QStringList{QStringLiteral("Verbindung zum Rekorder unterbrochen")});
        QVERIFY(h_->InputsEnabled());
        QCOMPARE(h_->Text("IDC_EXIT"), QStringLiteral("Beenden"));
        QCOMPARE(h_->Text("IDC_PASSWORD"), QStringLiteral("pä€"));
        QCOMPARE(h_->Text("IDC_UPDATE_CODE"), QStringLiteral("CODE-1"));
        QCOMPARE(h_->Address()->currentText(), QStringLiteral("recorder"));
        h_->dialog->OnTimer();
        QCOMPARE(h_->Text("IDC_STATUS"), QStringLiteral("Keine Verbindung"));
        // The next start goes out at once.
        h_->Click("IDC_START");
        QCOMPARE(
            static_cast<int>(std::count(log_.begin(), log_.end(), "net.Connect recorder:30000")),
            2);
    }

    void aSilentRecorderStillWaitsForTheOperator() {
        StartTransfer();
        for (int tick = 0; tick < 200; ++tick) {
            clock_->now += 60000;
            h_->dialog->OnTimer();
        }
        QVERIFY(h_->messages.isEmpty());
        QVERIFY(!h_->InputsEnabled());
        h_->Click("IDC_EXIT");
        QVERIFY(h_->InputsEnabled());
        QVERIFY(h_->messages.isEmpty());
    }
};

}  // namespace trelvo
