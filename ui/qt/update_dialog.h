#pragma once

#include <QDialog>
#include <QTimer>
#include <map>

#include "link/qt/qt_readiness_pump.h"
#include "ui/behaviour/dialog_behaviour.h"
#include "ui/behaviour/dialog_template.h"
#include "ui/qt/dialog_parts.h"
#include "ui/qt/qt_dialog_appearance.h"
#include "ui/qt/qt_dialog_view.h"

class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPaintEvent;
class QProgressBar;
class QPushButton;

namespace trelvo {

// The program's one window, as the toolkit draws it: the widgets in the
// template's layout, the keys and the refresh timer. Every decision (what
// Start hands to the job, what a tick shows, what Exit and Cancel do, where
// the focus goes) is the behaviour's, which reaches the widgets through the
// window's view; how the window looks beyond its widgets is its appearance's.
class UpdateDialog : public QDialog {
    Q_OBJECT

public:
    explicit UpdateDialog(DialogParts parts, QWidget* parent = nullptr);
    ~UpdateDialog() override;

    // One display refresh, run by the window's timer every 50 ms, also
    // under any message box.
    void OnTimer();

    // Esc, the close box and a queued close all end here.
    void reject() override;

signals:
    // After every display refresh.
    void Refreshed();

protected:
    // Return and Enter press the button the operator has put the focus on,
    // elsewhere Start, the one default button.
    void keyPressEvent(QKeyEvent* event) override;
    // Draws the background picture, unscaled, with its top-left pixel at the
    // client area's top-left corner.
    void paintEvent(QPaintEvent* event) override;

private:
    void CreateControls();
    void LabelControls();
    QWidget* Control(ControlId id) const;

    // The links' readiness reaches this window's event loop while it lives.
    QtReadinessPump m_readiness;
    // The job's links and clock live here and so outlive the behaviour's job.
    DialogParts m_parts;
    // Filled as the widgets are made; the view reads it from then on.
    std::map<ControlId, QWidget*> m_controls;
    QtDialogView m_view;
    DialogBehaviour m_behaviour;
    QtDialogAppearance m_appearance;
    QTimer m_timer;

    QLabel* m_time = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_browse = nullptr;
    QLineEdit* m_passwordEdit = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_start = nullptr;
    QComboBox* m_linkKind = nullptr;
    QLineEdit* m_updateCodeEdit = nullptr;
    QComboBox* m_addressBox = nullptr;
};

}  // namespace trelvo
