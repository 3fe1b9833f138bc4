#include "ui/qt/qt_dialog_appearance.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPalette>

namespace trelvo {
namespace {

// The light grey of the plates behind the status and time fields.
const QColor kPlateColour(231, 231, 231);

}  // namespace

QtDialogAppearance::QtDialogAppearance() : icon_(QStringLiteral(":/trelvo/icon-32.png")) {
    icon_.addFile(QStringLiteral(":/trelvo/icon-16.png"));
}

void QtDialogAppearance::Apply(QLabel& status, QLabel& time, QLineEdit& password,
                               QLineEdit& updateCode) {
    background_.load(QStringLiteral(":/trelvo/background.png"));
    for (QLabel* field : {&status, &time}) {
        QPalette palette = field->palette();
        palette.setColor(QPalette::Window, kPlateColour);
        field->setPalette(palette);
        field->setAutoFillBackground(true);
    }
    // Disabled while a job runs, the password and update-code edits show
    // the picture through; the source-file edit keeps the standard look.
    for (QLineEdit* edit : {&password, &updateCode}) {
        QPalette palette = edit->palette();
        palette.setBrush(QPalette::Disabled, QPalette::Base, Qt::transparent);
        edit->setPalette(palette);
    }
}

void QtDialogAppearance::PaintBackground(QPainter& painter) const {
    painter.drawPixmap(0, 0, background_);
}

}  // namespace trelvo
