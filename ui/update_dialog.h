#pragma once

#include <QDialog>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <QTimer>
#include <array>
#include <string>

#include "job/update_job.h"
#include "names/hosts_name_reader.h"
#include "ui/dialog_parts.h"
#include "ui/dialog_template.h"

class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPaintEvent;
class QProgressBar;
class QPushButton;

namespace trelvo {

// The program's one window: the operator enters the password and the update
// code, picks the update file and the recorder, starts, watches and aborts
// the update. The dialog does no protocol work itself: Start hands the texts
// to its job, a 50 ms timer lets the job advance and refreshes the display,
// and the job gives the inputs back through EnableInputs when it ends.
class UpdateDialog : public QDialog, public JobOwner {
    Q_OBJECT

public:
    explicit UpdateDialog(DialogParts parts, QWidget* parent = nullptr);
    ~UpdateDialog() override;

    // Inputs and Start on, the exit button reading "Beenden"; or, for a
    // running job, inputs off and the exit button reading "Abbrechen". The
    // keyboard focus goes back to where it was when the job started.
    void EnableInputs(bool enable) override;
    // The job's message box has told the operator already.
    void JobEnded(const JobOutcome&) override {}

    // One display refresh, run by the window's timer every 50 ms: lets the
    // job send its next file block, then shows its state, the time
    // remaining and the progress. Also under any message box.
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
    // Hands the job's messages to the dialog's message box.
    class JobMessages : public MessageBox {
    public:
        explicit JobMessages(UpdateDialog& dialog) : dialog_(dialog) {}
        void Show(const std::string& text) override;

    private:
        UpdateDialog& dialog_;
    };

    struct LabelField {
        ControlId id;
        QLabel* control = nullptr;
        QString text;
    };

    void OnInitDialog();
    void CreateControls();
    void DoDataExchange(bool saveAndValidate);
    void SetLabelTexts();
    void LabelControls();
    LabelField& LabelOf(ControlId id);
    void FillLists();
    void ApplyAppearance();
    void AppendHostNames();

    void OnBrowse();
    void OnStart();
    void OnLinkKindChange();
    void OnAddressEdit();
    void OnExit();
    void OnCancel();

    void ShowMessage(const QString& text);

    std::array<QString, 8> m_baudRates;
    // The job's links and clock live here and so outlive the job.
    DialogParts m_parts;
    JobMessages m_jobMessages;
    UpdateJob m_job;
    HostsNameReader m_hostsReader;
    QPixmap m_background;
    QTimer m_timer;

    QLabel* m_time = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_exit = nullptr;
    QPushButton* m_browse = nullptr;
    QLineEdit* m_passwordEdit = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_start = nullptr;
    QComboBox* m_linkKind = nullptr;
    QLineEdit* m_updateCodeEdit = nullptr;
    QLineEdit* m_sourceFileEdit = nullptr;
    QComboBox* m_addressBox = nullptr;

    // What the operator typed or picked: a host name or address for the
    // network, a baud rate for a serial link.
    QString m_address;
    int m_linkIndex = -1;
    QString m_password;
    // Name and extension only: the folder is the current directory.
    QString m_sourceFile;
    QString m_updateCode;
    std::array<LabelField, 7> m_labels{{
        {IDC_LABEL_ADDRESS, nullptr, {}},
        {IDC_LABEL_PASSWORD, nullptr, {}},
        {IDC_LABEL_PROGRESS, nullptr, {}},
        {IDC_LABEL_FILE, nullptr, {}},
        {IDC_LABEL_CODE, nullptr, {}},
        {IDC_LABEL_STATUS, nullptr, {}},
        {IDC_LABEL_TIME, nullptr, {}},
    }};

    QIcon m_icon;

    // Where the keyboard focus was when the running job started; it goes
    // back there when the inputs come back. Null while no job runs.
    QWidget* m_focusAtStart = nullptr;
};

}  // namespace trelvo
