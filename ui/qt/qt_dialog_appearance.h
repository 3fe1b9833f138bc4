#pragma once

#include <QIcon>
#include <QPixmap>

class QLabel;
class QLineEdit;
class QPainter;
class QWidget;

namespace trelvo {

// How the update window looks beyond its widgets: the background picture
// over the whole client area, the status and time fields on light-grey
// plates, the password and code edits showing the picture while disabled,
// and the program's icon.
class QtDialogAppearance {
public:
    QtDialogAppearance();

    const QIcon& icon() const { return icon_; }
    // Puts the plates behind the two fields and lets the edits show the
    // picture through while disabled.
    void Apply(QLabel& status, QLabel& time, QLineEdit& password, QLineEdit& updateCode);
    // Draws the picture, unscaled, with its top-left pixel at the client
    // area's top-left corner.
    void PaintBackground(QPainter& painter) const;

private:
    QIcon icon_;
    QPixmap background_;
};

}  // namespace trelvo
