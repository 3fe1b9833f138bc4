// Start-up: the socket check decides between the one German message and the
// window's modal run.
//
// The class lives in a header so that its generated meta-object code is
// compiled apart from the checked sources.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <memory>
#include <vector>

#include "app/qt/update_app.h"
#include "job_fakes.h"
#include "scratch_session.h"
#include "trelvo_version.h"

namespace trelvo {

class UpdateAppTest : public QObject {
    Q_OBJECT

private:
    trelvo::testing::EventLog log_;
    QStringList messages_;
    QStringList windowsRun_;

    UpdateApp MakeApp(bool socketLayerReady) {
        return UpdateApp([socketLayerReady] { return socketLayerReady; },
                         [this](QWidget*, const QString& text) { messages_.append(text); },
                         [this] {
                             DialogParts parts;
                             parts.net = std::make_unique<trelvo::testing::FakeNetLink>(log_);
                             parts.serial = std::make_unique<trelvo::testing::FakeSerialLink>(log_);
                             // Closes the window as soon as its modal run has begun.
                             QTimer::singleShot(0, [this] {
                                 QWidget* window = QApplication::activeModalWidget();
                                 windowsRun_.append(window->windowTitle());
                                 window->close();
                             });
                             return parts;
                         });
    }

private slots:
    void init() {
        messages_.clear();
        windowsRun_.clear();
    }

    void socketLayerMissing() {
        // An English system all the same; the language is put back afterwards.
        const ScratchSession english("en_US.UTF-8");
        MakeApp(false).InitInstance();
        QCOMPARE(messages_, QStringList{"Fehler beim Initialisieren der Windows-Sockets."});
        QVERIFY(windowsRun_.isEmpty());
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void windowRunsUntilClosed() {
        MakeApp(true).InitInstance();
        QCOMPARE(windowsRun_, QStringList{"Trelvo  v" TRELVO_VERSION});
        QVERIFY(messages_.isEmpty());
    }

    void socketLayerOfThisMachine() { QVERIFY(SocketLayerReady()); }

    void toolkitGetsTheProgramNameAlone_data() {
        QTest::addColumn<QStringList>("commandLine");
        QTest::addColumn<QString>("name");
        QTest::newRow("name only") << QStringList{"trelvo"} << "trelvo";
        QTest::newRow("toolkit options")
            << QStringList{"/usr/bin/trelvo", "-style", "windows", "-reverse", "-platform", "xcb"}
            << "/usr/bin/trelvo";
        QTest::newRow("a file") << QStringList{"trelvo", "update.sh"} << "trelvo";
        QTest::newRow("nothing at all") << QStringList{} << "trelvo";
    }
    void toolkitGetsTheProgramNameAlone() {
        QFETCH(QStringList, commandLine);
        QFETCH(QString, name);
        std::vector<QByteArray> texts;
        for (const QString& argument : commandLine) {
            texts.push_back(argument.toLocal8Bit());
        }
        std::vector<char*> argv(texts.size() + 1, nullptr);
        std::transform(texts.begin(), texts.end(), argv.begin(),
                       [](QByteArray& text) { return text.data(); });
        ToolkitArguments arguments(static_cast<int>(commandLine.size()), argv.data());
        QCOMPARE(arguments.argc(), 1);
        QCOMPARE(QString::fromLocal8Bit(arguments.argv()[0]), name);
        QCOMPARE(arguments.argv()[1], nullptr);
    }
};

}  // namespace trelvo
