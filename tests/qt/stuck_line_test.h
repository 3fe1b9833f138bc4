// The window with its real serial link on a pseudo-terminal whose far end
// stops reading, as a recorder holding CTS off: the window goes on ticking
// under its own timer, and Abort ends the update at once.
//
// The class lives in a header so that its generated meta-object code is
// compiled apart from the checked sources.
#pragma once

#include <QProgressBar>
#include <QSignalSpy>
#include <QtTest>
#include <memory>
#include <string>

#include "dialog_harness.h"
#include "link/serial_link.h"
#include "recorder_sim_process.h"
#include "scratch_session.h"

namespace trelvo {

// The window's real serial link, opened on the test's line whatever port
// the window names.
class RoutedSerialLink final : public SerialLinkInterface {
public:
    explicit RoutedSerialLink(std::string device) : device_(std::move(device)) {}
    bool Open(const std::string&, int baud, bool waitingReads) override {
        return link_.Open(device_, baud, waitingReads);
    }
    bool Write(const std::uint8_t* bytes, std::uint32_t count) override {
        return link_.Write(bytes, count);
    }
    std::uint32_t Read(std::uint8_t* buffer, std::uint32_t count) override {
        return link_.Read(buffer, count);
    }
    std::uint32_t InputCount() override { return link_.InputCount(); }
    bool IsOutputEmpty() override { return link_.IsOutputEmpty(); }
    bool HasFailed() const override { return link_.HasFailed(); }
    void Close() override { link_.Close(); }

private:
    std::string device_;
    SerialLink link_;
};

class StuckLineTest : public QObject {
    Q_OBJECT

private slots:
    void abortEndsAnUpdateOnALineThatTakesNothingMore() {
        const ScratchSession session;
        testing::RecorderSimProcess sim({"--quiet", "--pty", "--stop-reading-after", "4096"});
        QVERIFY2(sim.ok(), sim.error().c_str());
        DialogParts parts = StandardDialogParts();
        parts.serial = std::make_unique<RoutedSerialLink>(sim.device());
        parts.hostsPath = QString::fromStdString(session.dir().PathOf("no-lmhosts"));
        dialog_testing::Harness h(std::move(parts));
        h.chosenFile =
            QString::fromStdString(session.dir().Write("update.sh", std::string(200000, 's')));
        h.Click("IDC_BROWSE");
        h.Type("IDC_PASSWORD", QStringLiteral("admin"));
        h.LinkKind()->setCurrentIndex(1);
        emit h.LinkKind()->activated(1);
        h.Address()->setEditText(QStringLiteral("115200"));
        auto* progress = h.Control<QProgressBar>("IDC_PROGRESS");
        QSignalSpy ticks(h.dialog.get(), &UpdateDialog::Refreshed);

        h.Click("IDC_START");
        // The window's own timer drives the job; the line takes 4 KiB of the file.
        QTRY_VERIFY_WITH_TIMEOUT(progress->value() > 0, 20000);
        // Stuck: the bar stops while the ticks go on.
        int last = -1;
        QTRY_VERIFY_WITH_TIMEOUT(
            std::exchange(last, progress->value()) == progress->value() && ticks.count() > 40,
            20000);
        const int stalledAt = progress->value();
        const qsizetype ticksBefore = ticks.count();
        QTRY_VERIFY(ticks.count() > ticksBefore + 10);
        QCOMPARE(progress->value(), stalledAt);
        QVERIFY(stalledAt < 100);

        h.Click("IDC_EXIT");
        QVERIFY(h.InputsEnabled());
        QTRY_COMPARE(h.Text("IDC_STATUS"), QStringLiteral("Keine Verbindung"));
        QVERIFY(h.messages.isEmpty());
    }
};

}  // namespace trelvo
