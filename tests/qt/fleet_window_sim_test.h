// The fleet window against recorder simulators on loopback addresses, one
// port for all: its controls as scripts find them, recorders added and
// started by keys, the list during and after a run, the aborts, sorting
// and the filter while recorders run. What the behaviour decides is
// tested behind a fake view; here it is the window's wiring.
//
// The class lives in a header so that its generated meta-object code is
// compiled apart from the checked sources.
#pragma once

#include <QComboBox>
#include <QHeaderView>
#include <QtTest>
#include <memory>
#include <optional>
#include <vector>

#include "fleet_harness.h"
#include "recorder_sim_process.h"
#include "scratch_session.h"

namespace trelvo {

class FleetWindowSimTest : public QObject {
    Q_OBJECT

private:
    using Sim = testing::RecorderSimProcess;

    std::optional<ScratchSession> session_;
    std::vector<std::unique_ptr<Sim>> sims_;
    std::optional<fleet_testing::FleetHarness> h_;

    // Simulators on 127.0.0.1, .2 ... with these options each, all on the
    // first one's port, and the window on that port.
    bool StartSims(const std::vector<QStringList>& options) {
        std::uint16_t port = 0;
        for (std::size_t i = 0; i < options.size(); ++i) {
            QStringList arguments = options[i];
            arguments << QStringLiteral("--quiet") << QStringLiteral("--listen")
                      << QStringLiteral("127.0.0.%1:%2").arg(i + 1).arg(port);
            sims_.push_back(std::make_unique<Sim>(arguments));
            if (!sims_.back()->ok()) {
                qWarning("%s", sims_.back()->error().c_str());
                return false;
            }
            port = sims_.back()->port();
        }
        h_.emplace(port);
        return h_->active;
    }
    static QString Lines(int count) {
        QStringList lines;
        for (int i = 1; i <= count; ++i) {
            lines << QStringLiteral("127.0.0.%1").arg(i);
        }
        return lines.join(QLatin1Char('\n'));
    }
    int RowOf(const QString& address) const {
        for (int row = 0; row < h_->Model()->rowCount(); ++row) {
            if (h_->Cell(row, FleetColumn::Address) == address) {
                return row;
            }
        }
        return -1;
    }
    QString ResultOf(const QString& address) const {
        const int row = RowOf(address);
        return row < 0 ? QString() : h_->Cell(row, FleetColumn::Result);
    }
    // Runs the row's context menu, opened by the keyboard on the current
    // row, and picks `command` in it; whether the command was enabled.
    bool RowMenu(int row, RowCommand command) {
        FleetTableView* list = h_->List();
        list->setFocus();
        list->setCurrentIndex(h_->Model()->index(row, 1));
        bool enabled = false;
        const QString text = QString::fromStdString(FleetBehaviour::RowCommandText(command));
        h_->WhenOpen([&enabled, text](QWidget* open) {
            auto* menu = qobject_cast<QMenu*>(open);
            for (QAction* action : menu != nullptr ? menu->actions() : QList<QAction*>{}) {
                if (action->text() == text) {
                    enabled = action->isEnabled();
                    menu->setActiveAction(action);
                }
            }
            QTest::keyClick(open, enabled ? Qt::Key_Return : Qt::Key_Escape);
        });
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(), QPoint());
        QCoreApplication::sendEvent(list->viewport(), &event);
        return enabled;
    }

private slots:
    void init() { session_.emplace("en_US.UTF-8"); }
    void cleanup() {
        h_.reset();
        sims_.clear();
        session_.reset();
    }

    void everyControlHasItsAccessibleName() {
        QVERIFY(StartSims({{}}));
        for (const char* name :
             {"password",   "update code",    "update file",  "browse",         "parallel",
              "timeout",    "retries",        "skip version", "expect version", "add",
              "hosts file", "discover range", "discover",     "filter",         "recorders",
              "check all",  "check none",     "check needed", "probe",          "start",
              "abort",      "retry failed",   "export",       "exit",           "summary"}) {
            QVERIFY2(h_->Control(name) != nullptr, name);
        }
    }

    // Alt and a label's English mnemonic go to the control it names.
    void mnemonicsFocusTheirControls_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("control");
        QTest::newRow("password") << int(Qt::Key_P) << "password";
        QTest::newRow("update code") << int(Qt::Key_U) << "update code";
        QTest::newRow("update file") << int(Qt::Key_F) << "update file";
        QTest::newRow("at once") << int(Qt::Key_O) << "parallel";
        QTest::newRow("time-out") << int(Qt::Key_M) << "timeout";
        QTest::newRow("retries") << int(Qt::Key_R) << "retries";
        QTest::newRow("skip version") << int(Qt::Key_K) << "skip version";
        QTest::newRow("expected version") << int(Qt::Key_V) << "expect version";
        QTest::newRow("range") << int(Qt::Key_G) << "discover range";
        QTest::newRow("filter") << int(Qt::Key_I) << "filter";
        QTest::newRow("recorders") << int(Qt::Key_C) << "recorders";
    }
    void mnemonicsFocusTheirControls() {
        QFETCH(int, key);
        QFETCH(QString, control);
        QVERIFY(StartSims({{}}));
        h_->Mnemonic(static_cast<Qt::Key>(key));
        QCOMPARE(h_->window->focusWidget(), h_->Control(control.toLatin1().constData()));
    }

    void recordersAddedByKeysAreUpdatedAfterReturnConfirms() {
        QVERIFY(StartSims({{}, {}}));
        QVERIFY(h_->Prepare(Lines(2)));
        QCOMPARE(h_->Model()->rowCount(), 2);
        QVERIFY(h_->Checked(0) && h_->Checked(1));
        QVERIFY(h_->StartAnswering(Qt::Key_Return));
        QVERIFY(h_->Running());
        // The bars move while the file goes out.
        QVERIFY(QTest::qWaitFor(
            [this] {
                const int percent = h_->Percent(0);
                return percent > 0 && percent < 100;
            },
            fleet_testing::kRunTimeoutMs));
        QVERIFY(!h_->Control("start")->isEnabled());
        QVERIFY(h_->WaitUntilIdle());
        for (const QString& address : {QStringLiteral("127.0.0.1"), QStringLiteral("127.0.0.2")}) {
            QCOMPARE(ResultOf(address), QStringLiteral("Update finished successfully"));
        }
        QVERIFY2(h_->Summary().startsWith(QStringLiteral("2 updated")), qPrintable(h_->Summary()));
        for (const auto& sim : sims_) {
            QCOMPARE(sim->ReceivedFiles().size(), std::size_t{1});
        }
    }

    void escapeOnTheQuestionStartsNothing() {
        QVERIFY(StartSims({{}}));
        QVERIFY(h_->Prepare(Lines(1)));
        QVERIFY(h_->StartAnswering(Qt::Key_Escape));
        QVERIFY(!h_->Running());
        QVERIFY(h_->Control("start")->isEnabled());
        QVERIFY(h_->Cell(0, FleetColumn::Result).isEmpty());
    }

    // A recorder that never answers and one mid-transfer both end at once.
    void abortEndsEveryRecorder() {
        QVERIFY(StartSims({{QStringLiteral("--silent-after"), QStringLiteral("0")}, {}}));
        QVERIFY(h_->Prepare(Lines(2)));
        QVERIFY(h_->StartAnswering(Qt::Key_Return));
        QVERIFY(QTest::qWaitFor([this] { return h_->Percent(RowOf("127.0.0.2")) > 0; },
                                fleet_testing::kRunTimeoutMs));
        // Alt+T: Abort.
        h_->Mnemonic(Qt::Key_T);
        QVERIFY(h_->WaitUntilIdle());
        QVERIFY2(h_->Summary().contains(QStringLiteral("2 aborted")), qPrintable(h_->Summary()));
        QVERIFY(h_->Control("start")->isEnabled());
        QVERIFY(sims_[1]->ReceivedFiles().empty());
    }

    void aRowsAbortFromItsMenuEndsOnlyThatRow() {
        QVERIFY(StartSims({{}, {}}));
        QVERIFY(h_->Prepare(Lines(2)));
        QVERIFY(!RowMenu(0, RowCommand::Abort));
        QVERIFY(h_->StartAnswering(Qt::Key_Return));
        QVERIFY(
            QTest::qWaitFor([this] { return h_->Percent(0) > 0; }, fleet_testing::kRunTimeoutMs));
        QVERIFY(RowMenu(0, RowCommand::Abort));
        QVERIFY(QTest::qWaitFor([this] { return h_->Summary().contains("1 aborted"); },
                                fleet_testing::kRunTimeoutMs));
        QVERIFY(h_->Running());
        QVERIFY(h_->WaitUntilIdle());
        QCOMPARE(ResultOf("127.0.0.2"), QStringLiteral("Update finished successfully"));
        QVERIFY(sims_[0]->ReceivedFiles().empty());
    }

    // A recorder that refuses the password and one that hangs up mid-file
    // beside a good one: the list sorts and filters while they run.
    void sortAndFilterWorkDuringARun() {
        QVERIFY(StartSims({{},
                           {QStringLiteral("--password"), QStringLiteral("other")},
                           {QStringLiteral("--close-after-bytes"), QStringLiteral("300000")}}));
        QVERIFY(h_->Prepare(Lines(3)));
        QVERIFY(h_->StartAnswering(Qt::Key_Return));
        QHeaderView* header = h_->List()->horizontalHeader();
        const int address = fleet_testing::ColumnOf(FleetColumn::Address);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(address) + 5, 5));
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(address) + 5, 5));
        QVERIFY(h_->Running());
        QVERIFY(header->isSortIndicatorShown());
        QCOMPARE(header->sortIndicatorSection(), address);
        QCOMPARE(h_->Cell(0, FleetColumn::Address), QStringLiteral("127.0.0.3"));
        // Failed: the second entry of the filter, by the arrow key.
        auto* filter = h_->Control<QComboBox>("filter");
        filter->setFocus();
        QTest::keyClick(filter, Qt::Key_Down);
        QVERIFY(h_->Running());
        QVERIFY(h_->WaitUntilIdle());
        QCOMPARE(h_->Model()->rowCount(), 2);
        QCOMPARE(ResultOf("127.0.0.3"), QStringLiteral("Connection to the recorder lost"));
        QCOMPARE(ResultOf("127.0.0.2"), QStringLiteral("Access denied - invalid password"));
        QCOMPARE(RowOf("127.0.0.1"), -1);
    }

    // Space toggles the current row's check in any column; Return, on the
    // list or on Start with the focus, neither asks nor starts.
    void spaceTogglesAndReturnStartsNothing() {
        QVERIFY(StartSims({{}}));
        QVERIFY(h_->Prepare(Lines(1)));
        FleetTableView* list = h_->List();
        list->setFocus();
        list->setCurrentIndex(h_->Model()->index(0, fleet_testing::ColumnOf(FleetColumn::Stage)));
        const bool before = h_->Checked(0);
        QTest::keyClick(list, Qt::Key_Space);
        QCOMPARE(h_->Checked(0), !before);
        QTest::keyClick(list, Qt::Key_Space);
        QCOMPARE(h_->Checked(0), before);

        bool asked = false;
        h_->WhenOpen([&asked](QWidget* open) {
            asked = true;
            QTest::keyClick(open, Qt::Key_Escape);
        });
        QTest::keyClick(list, Qt::Key_Return);
        h_->Control("start")->setFocus();
        QTest::keyClick(h_->Control("start"), Qt::Key_Return);
        QTest::keyClick(h_->Control("start"), Qt::Key_Enter, Qt::KeypadModifier);
        // A question would have been answered inside the key's handling.
        QVERIFY(!asked);
        QVERIFY(!h_->Running());
    }
};

}  // namespace trelvo
