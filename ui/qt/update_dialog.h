#pragma once

#include <QDialog>
#include <QIcon>
#include <QPixmap>
#include <QTimer>
#include <map>
#include <optional>
#include <string>

#include "ui/behaviour/dialog_behaviour.h"
#include "ui/behaviour/dialog_template.h"
#include "ui/behaviour/dialog_view.h"
#include "ui/qt/dialog_parts.h"

class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPaintEvent;
class QProgressBar;
class QPushButton;

namespace trelvo {

// The program's one window, as the toolkit draws it: the widgets in the
// template's layout, the picture behind them, the keys, the file dialog and
// the message boxes. Every decision (what Start hands to the job, what a
// tick shows, what Exit and Cancel do, where the focus goes) is the
// behaviour's, which reaches the widgets through this window's DialogView.
class UpdateDialog : public QDialog, private DialogView {
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
    void ApplyAppearance();
    QWidget* Control(ControlId id) const;

    // DialogView
    std::string Text(ControlId id) const override;
    Secret Windows1252Text(ControlId id) const override;
    void SetText(ControlId id, const std::string& text) override;
    void Enable(ControlId id, bool enable) override;
    void SetProgress(int position) override;
    std::optional<ControlId> FocusedControl() const override;
    void SetFocus(ControlId id) override;
    void ClearList(ControlId id) override;
    void AppendToList(ControlId id, const std::string& text) override;
    int ListCount(ControlId id) const override;
    void Select(ControlId id, int index) override;
    int Selected(ControlId id) const override;
    std::optional<ChosenFile> ChooseFile(const std::string& title,
                                         const std::string& filter) override;
    void MakeCurrentFolder(const std::string& folder) override;
    void ShowMessage(const std::string& text) override;
    void PostClose() override;
    void EndDialog() override;

    // The job's links and clock live here and so outlive the behaviour's job.
    DialogParts m_parts;
    DialogBehaviour m_behaviour;
    QPixmap m_background;
    QTimer m_timer;
    QIcon m_icon;

    std::map<ControlId, QWidget*> m_controls;
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
