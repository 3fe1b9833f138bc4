#include "ui/qt/update_dialog.h"

#include <QComboBox>
#include <QFile>
#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <utility>

#include "ui/qt/dialog_pixels.h"
#include "ui/qt/operator_text_edit.h"

namespace trelvo {
namespace {

// Which control each label names, for assistive technology.
constexpr std::pair<ControlId, ControlId> kLabelled[] = {
    {IDC_LABEL_PASSWORD, IDC_PASSWORD}, {IDC_LABEL_CODE, IDC_UPDATE_CODE},
    {IDC_LABEL_FILE, IDC_SOURCE_FILE},  {IDC_LABEL_ADDRESS, IDC_ADDRESS},
    {IDC_LABEL_PROGRESS, IDC_PROGRESS}, {IDC_LABEL_STATUS, IDC_STATUS},
    {IDC_LABEL_TIME, IDC_TIME},
};

// A combo box's rectangle includes its dropped-down list; closed it is as
// high as the platform's combo box for the 8-point font.
constexpr int kClosedComboHeight = 21;

// Buttons that never become the default button when they get the focus: Start
// stays the default all the time, so Return never aborts or ends anything
// the operator did not point at.
QPushButton* MakeButton(const ControlTemplate& row, QWidget* parent) {
    auto* button = new QPushButton(QString::fromUtf8(row.text), parent);
    button->setAutoDefault(false);
    return button;
}

bool IsReturn(const QKeyEvent& event) {
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    return (event.key() == Qt::Key_Return && modifiers == Qt::NoModifier) ||
           (event.key() == Qt::Key_Enter &&
            (modifiers == Qt::NoModifier || modifiers == Qt::KeypadModifier));
}

QLabel* MakeLabel(const ControlTemplate& row, Qt::Alignment horizontal, QWidget* parent) {
    auto* label = new QLabel(QString::fromUtf8(row.text), parent);
    label->setAlignment(horizontal | Qt::AlignTop);
    return label;
}

}  // namespace

UpdateDialog::UpdateDialog(DialogParts parts, QWidget* parent)
    : QDialog(parent),
      m_parts(std::move(parts)),
      m_view(*this, m_controls, m_parts, [this] { QDialog::reject(); }),
      m_behaviour(m_view, *m_parts.net, *m_parts.serial, *m_parts.clock, m_parts.port) {
    setWindowTitle(QString::fromUtf8(kDialogTitle));
    // A window of its own with a task-bar entry, a close box and no
    // minimise or maximise box.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    QFont font(QStringLiteral("Sans Serif"), 8);
    font.setStyleHint(QFont::SansSerif);
    setFont(font);
    setFixedSize(ToPixels(kDialogSize).size());

    CreateControls();
    setWindowIcon(m_appearance.icon());
    m_behaviour.OnInitDialog(QFile::encodeName(m_parts.hostsPath).toStdString());
    LabelControls();

    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(TICK_PERIOD_MS);
    // The timer's own handler only queues the tick. Qt fires no timer again
    // while its handler runs, so a message box opened inside the tick (a
    // serial reply, a short read of the file) would stop every refresh under
    // it; a queued tick lets the handler return first, and the box's event
    // loop goes on ticking. The tick itself runs as before, box included.
    connect(&m_timer, &QTimer::timeout, this, &UpdateDialog::OnTimer, Qt::QueuedConnection);
    m_timer.start();

    m_appearance.Apply(*m_status, *m_time, *m_passwordEdit, *m_updateCodeEdit);
    m_passwordEdit->setFocus();
}

UpdateDialog::~UpdateDialog() = default;

void UpdateDialog::CreateControls() {
    // Created in template order, which makes it the tab order.
    for (const ControlTemplate& row : kDialogTemplate) {
        QWidget* control = nullptr;
        QRect rect = ToPixels(row.rect);
        switch (row.id) {
            case IDC_PASSWORD:
                m_passwordEdit = MakeOperatorTextEdit(this);
                m_passwordEdit->setEchoMode(QLineEdit::Password);
                control = m_passwordEdit;
                break;
            case IDC_UPDATE_CODE:
                control = m_updateCodeEdit = MakeOperatorTextEdit(this);
                break;
            case IDC_SOURCE_FILE:
                control = new QLineEdit(this);
                break;
            case IDC_BROWSE:
                control = m_browse = MakeButton(row, this);
                connect(m_browse, &QPushButton::clicked, this, [this] { m_behaviour.OnBrowse(); });
                break;
            case IDC_LINK_KIND:
                control = m_linkKind = new QComboBox(this);
                rect.setHeight(kClosedComboHeight);
                // Created and filled, but never shown: every update goes over the network.
                m_linkKind->hide();
                connect(m_linkKind, &QComboBox::activated, this,
                        [this] { m_behaviour.OnLinkKindChange(); });
                break;
            case IDC_ADDRESS:
                control = m_addressBox = new QComboBox(this);
                rect.setHeight(kClosedComboHeight);
                m_addressBox->setEditable(true);
                // A typed name is used as it is: never added to the list,
                // never completed from it.
                m_addressBox->setInsertPolicy(QComboBox::NoInsert);
                m_addressBox->setCompleter(nullptr);
                // The name or address follows the same rule as the password.
                m_addressBox->setValidator(new OperatorTextValidator(m_addressBox));
                connect(m_addressBox->lineEdit(), &QLineEdit::textEdited, this,
                        [this] { m_behaviour.OnAddressEdit(); });
                break;
            case IDC_START:
                control = m_start = MakeButton(row, this);
                m_start->setDefault(true);
                connect(m_start, &QPushButton::clicked, this, [this] { m_behaviour.OnStart(); });
                break;
            case IDC_EXIT: {
                QPushButton* exit = MakeButton(row, this);
                connect(exit, &QPushButton::clicked, this, [this] { m_behaviour.OnExit(); });
                control = exit;
                break;
            }
            case IDC_PROGRESS:
                control = m_progress = new QProgressBar(this);
                m_progress->setRange(0, 100);
                m_progress->setValue(0);
                m_progress->setTextVisible(false);
                break;
            case IDC_STATUS:
                control = m_status = MakeLabel(row, Qt::AlignLeft, this);
                break;
            case IDC_TIME:
                control = m_time = MakeLabel(row, Qt::AlignLeft, this);
                break;
            default:
                control = MakeLabel(row, Qt::AlignRight, this);
                // The platform's sans-serif runs wider than the template's
                // font; the transparent label reaches to the window's left
                // edge so a long text grows leftwards instead of being cut.
                rect.setLeft(0);
                break;
        }
        control->setObjectName(QString::fromLatin1(row.name));
        control->setGeometry(rect);
        m_controls[row.id] = control;
    }
}

void UpdateDialog::LabelControls() {
    // A screen reader then announces "Administrator Passwort:" for the
    // password edit, not just "edit"; with no mnemonic in their texts the
    // labels look as before.
    for (const auto& [labelId, controlId] : kLabelled) {
        qobject_cast<QLabel*>(Control(labelId))->setBuddy(Control(controlId));
    }
    // The browse button has no label of its own: it sets the source file.
    m_browse->setAccessibleName(qobject_cast<QLabel*>(Control(IDC_LABEL_FILE))->text());
    m_browse->setAccessibleDescription(QString::fromStdString(DialogBehaviour::ChooseFileTitle()));
}

QWidget* UpdateDialog::Control(ControlId id) const {
    return m_controls.at(id);
}

void UpdateDialog::keyPressEvent(QKeyEvent* event) {
    // A button that is not the default passes Return on; the one that has
    // the focus is the one the operator means, as on the platform's dialogs.
    auto* focused = qobject_cast<QPushButton*>(focusWidget());
    if (focused != nullptr && focused->isEnabled() && IsReturn(*event)) {
        focused->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void UpdateDialog::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    m_appearance.PaintBackground(painter);
}

void UpdateDialog::OnTimer() {
    m_behaviour.OnTimer();
    emit Refreshed();
}

void UpdateDialog::reject() {
    m_behaviour.OnCancel();
}

}  // namespace trelvo
