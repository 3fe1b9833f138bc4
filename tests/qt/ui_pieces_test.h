// The window's small pieces: the Windows-1252 table and validator, the
// file-dialog filter conversion, the dialog-unit conversion and the
// standard message box.
//
// The class lives in a header so that its generated meta-object code is
// compiled apart from the checked sources.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <memory>
#include <string>

#include "operator_text_cases.h"
#include "text/windows1252_text.h"
#include "ui/qt/dialog_pixels.h"
#include "ui/qt/name_filter.h"
#include "ui/qt/operator_text_edit.h"
#include "ui/qt/standard_dialogs.h"

namespace trelvo {

class UiPiecesTest : public QObject {
    Q_OBJECT

private slots:
    void windows1252Bytes_data() {
        QTest::addColumn<int>("unit");
        QTest::addColumn<int>("byte");  // -1: the code page cannot carry it
        QTest::newRow("ascii") << 0x41 << 0x41;
        QTest::newRow("nul") << 0x00 << 0x00;
        QTest::newRow("last ascii") << 0x7F << 0x7F;
        QTest::newRow("euro") << 0x20AC << 0x80;
        QTest::newRow("low quote") << 0x201A << 0x82;
        QTest::newRow("per mille") << 0x2030 << 0x89;
        QTest::newRow("S caron") << 0x0160 << 0x8A;
        QTest::newRow("right quote") << 0x2019 << 0x92;
        QTest::newRow("trade mark") << 0x2122 << 0x99;
        QTest::newRow("Y diaeresis") << 0x0178 << 0x9F;
        QTest::newRow("nbsp") << 0xA0 << 0xA0;
        QTest::newRow("a umlaut") << 0xE4 << 0xE4;
        QTest::newRow("sharp s") << 0xDF << 0xDF;
        QTest::newRow("y diaeresis") << 0xFF << 0xFF;
        QTest::newRow("C1 control 0x80") << 0x80 << -1;
        QTest::newRow("C1 control 0x9F") << 0x9F << -1;
        QTest::newRow("unassigned 0x81 as text") << 0x81 << -1;
        QTest::newRow("A macron") << 0x0100 << -1;
        QTest::newRow("cyrillic") << 0x0416 << -1;
        QTest::newRow("surrogate") << 0xD83D << -1;
    }
    void windows1252Bytes() {
        QFETCH(int, unit);
        QFETCH(int, byte);
        const auto result = Windows1252Byte(static_cast<char16_t>(unit));
        QCOMPARE(result.has_value() ? int(*result) : -1, byte);
    }

    // The edits take a text exactly when the rule does, and hand it on
    // unchanged as UTF-8; what is not UTF-8 cannot be typed at all.
    void operatorTextEdit_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("acceptable");
        QTest::addColumn<QByteArray>("utf8");
        for (const OperatorTextCase& c : OperatorTextCases()) {
            if (c.refusal != TextRefusal::NotUtf8) {
                const QByteArray utf8(c.utf8.data(), static_cast<qsizetype>(c.utf8.size()));
                QTest::newRow(c.what)
                    << QString::fromUtf8(utf8) << (c.refusal == TextRefusal::None) << utf8;
            }
        }
    }
    void operatorTextEdit() {
        QFETCH(QString, typed);
        QFETCH(bool, acceptable);
        QFETCH(QByteArray, utf8);
        OperatorTextValidator validator;
        int position = 0;
        QCOMPARE(validator.validate(typed, position) == QValidator::Acceptable, acceptable);
        QCOMPARE(QByteArray::fromStdString(Utf8Secret(typed).text()), utf8);
    }
    void loneSurrogateIsRefusedNotHandedOn() {
        const QString lone(QChar(0xD83D));
        OperatorTextValidator validator;
        QString typed = lone;
        int position = 0;
        QCOMPARE(validator.validate(typed, position), QValidator::Invalid);
        QCOMPARE(CheckOperatorText(Utf8Secret(lone).text()), TextRefusal::OutsideCodePage);
    }

    // Emptied, the edit leaves no copy of what it held in its storage: a
    // text sharing that storage sees it overwritten. A text set from a
    // literal, which owns no storage, is emptied as well.
    void wipedEditOverwritesWhatItHeld() {
        QLineEdit* edit = MakeOperatorTextEdit(nullptr);
        const std::unique_ptr<QLineEdit> owner(edit);
        edit->setEchoMode(QLineEdit::Password);
        for (const QChar c : QStringLiteral("pä€s")) {
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
        const QString shared = edit->text();
        const QChar* storage = shared.constData();
        WipeEdit(*edit);
        QVERIFY(edit->text().isEmpty());
        QCOMPARE(shared.size(), 4);
        QVERIFY(std::all_of(storage, storage + 4, [](QChar c) { return c.isNull(); }));
        edit->setText(QStringLiteral("literal"));
        WipeEdit(*edit);
        QVERIFY(edit->text().isEmpty());
    }

    void nameFilter_data() {
        QTest::addColumn<QString>("windows");
        QTest::addColumn<QString>("qt");
        QTest::newRow("german") << QStringLiteral("Update Dateien(*.sh)|*.sh||")
                                << QStringLiteral("Update Dateien(*.sh) (*.sh)");
        QTest::newRow("english") << QStringLiteral("Update files(*.sh)|*.sh||")
                                 << QStringLiteral("Update files(*.sh) (*.sh)");
        QTest::newRow("two entries, two patterns")
            << QStringLiteral("Scripts|*.sh;*.bash|All|*.*||")
            << QStringLiteral("Scripts (*.sh *.bash);;All (*.*)");
        QTest::newRow("no terminator") << QStringLiteral("A|*.a") << QStringLiteral("A (*.a)");
        QTest::newRow("label without patterns") << QStringLiteral("A") << QString();
        QTest::newRow("empty") << QString() << QString();
    }
    void nameFilter() {
        QFETCH(QString, windows);
        QFETCH(QString, qt);
        QCOMPARE(ToQtNameFilter(windows), qt);
    }

    void dialogUnitsToPixels_data() {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QRect>("pixels");
        QTest::newRow("client area") << 0 << 0 << 294 << 191 << QRect(0, 0, 441, 310);
        QTest::newRow("password") << 100 << 11 << 128 << 12 << QRect(150, 18, 192, 19);
        // Halves round away from zero, each edge on its own.
        QTest::newRow("start") << 183 << 172 << 50 << 14 << QRect(275, 280, 75, 22);
        QTest::newRow("exit") << 237 << 172 << 50 << 14 << QRect(356, 280, 75, 22);
        QTest::newRow("time") << 100 << 124 << 33 << 8 << QRect(150, 202, 50, 13);
    }
    void dialogUnitsToPixels() {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QRect, pixels);
        QCOMPARE(ToPixels(DialogRect{x, y, width, height}), pixels);
    }

    // The box is modal and runs its own loop: a timer keeps ticking
    // underneath until the operator confirms.
    void warningBoxKeepsTimersRunning() {
        QWidget owner;
        owner.show();
        int ticks = 0;
        QTimer ticker;
        QString caption;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            ++ticks;
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box != nullptr && ticks >= 3) {
                caption = box->windowTitle();
                icon = box->icon();
                buttons = box->standardButtons();
                box->button(QMessageBox::Ok)->click();
            }
        });
        ticker.start(1);
        ShowWarning(&owner, QStringLiteral("text"));
        QVERIFY(ticks >= 3);
        QCOMPARE(caption, QStringLiteral("ui_pieces_tests"));
        QCOMPARE(caption, ApplicationName());
        QCOMPARE(icon, QMessageBox::Warning);
        QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    }
};

}  // namespace trelvo
