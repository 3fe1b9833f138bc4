#include "ui/qt/update_dialog.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <utility>

#include "text/secret.h"
#include "ui/qt/dialog_pixels.h"
#include "ui/qt/name_filter.h"
#include "ui/qt/windows1252.h"

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

// The light grey of the plates behind the status and time fields.
const QColor kPlateColour(231, 231, 231);

// The password and update code go to the recorder as Windows-1252 bytes,
// so the edits take only what that code page can carry.
QLineEdit* MakeOperatorTextEdit(QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setValidator(new Windows1252Validator(edit));
    return edit;
}

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
      m_behaviour(*this, *m_parts.net, *m_parts.serial, *m_parts.clock, m_parts.port),
      m_icon(QStringLiteral(":/trelvo/icon-32.png")) {
    m_icon.addFile(QStringLiteral(":/trelvo/icon-16.png"));
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
    setWindowIcon(m_icon);
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

    ApplyAppearance();
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

void UpdateDialog::ApplyAppearance() {
    m_background.load(QStringLiteral(":/trelvo/background.png"));

    for (QLabel* field : {m_status, m_time}) {
        QPalette palette = field->palette();
        palette.setColor(QPalette::Window, kPlateColour);
        field->setPalette(palette);
        field->setAutoFillBackground(true);
    }
    // Disabled while a job runs, the password and update-code edits show
    // the picture through; the source-file edit keeps the standard look.
    for (QLineEdit* edit : {m_passwordEdit, m_updateCodeEdit}) {
        QPalette palette = edit->palette();
        palette.setBrush(QPalette::Disabled, QPalette::Base, Qt::transparent);
        edit->setPalette(palette);
    }
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
    painter.drawPixmap(0, 0, m_background);
}

void UpdateDialog::OnTimer() {
    m_behaviour.OnTimer();
    emit Refreshed();
}

void UpdateDialog::reject() {
    m_behaviour.OnCancel();
}

std::string UpdateDialog::Text(ControlId id) const {
    QWidget* control = Control(id);
    if (auto* box = qobject_cast<QComboBox*>(control)) {
        return box->currentText().toStdString();
    }
    return qobject_cast<QLineEdit*>(control)->text().toStdString();
}

Secret UpdateDialog::Windows1252Text(ControlId id) const {
    // The edit's text is shared, not copied, on its way to the conversion.
    std::string bytes = ToWindows1252(qobject_cast<QLineEdit*>(Control(id))->text());
    return Secret(std::move(bytes));
}

void UpdateDialog::SetText(ControlId id, const std::string& text) {
    const QString shown = QString::fromStdString(text);
    QWidget* control = Control(id);
    if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(shown);
    } else if (auto* button = qobject_cast<QPushButton*>(control)) {
        button->setText(shown);
    } else {
        qobject_cast<QLineEdit*>(control)->setText(shown);
    }
}

void UpdateDialog::Enable(ControlId id, bool enable) {
    Control(id)->setEnabled(enable);
}

void UpdateDialog::SetProgress(int position) {
    // The bar ignores a value beyond its range instead of showing it as
    // full or empty, as the platform's bar does.
    m_progress->setValue(std::clamp(position, m_progress->minimum(), m_progress->maximum()));
}

std::optional<ControlId> UpdateDialog::FocusedControl() const {
    QWidget* focused = focusWidget();
    for (const auto& [id, control] : m_controls) {
        if (control == focused) {
            return id;
        }
    }
    return std::nullopt;
}

void UpdateDialog::SetFocus(ControlId id) {
    Control(id)->setFocus(Qt::OtherFocusReason);
}

void UpdateDialog::ClearList(ControlId id) {
    qobject_cast<QComboBox*>(Control(id))->clear();
}

void UpdateDialog::AppendToList(ControlId id, const std::string& text) {
    qobject_cast<QComboBox*>(Control(id))->addItem(QString::fromStdString(text));
}

int UpdateDialog::ListCount(ControlId id) const {
    return qobject_cast<QComboBox*>(Control(id))->count();
}

void UpdateDialog::Select(ControlId id, int index) {
    auto* box = qobject_cast<QComboBox*>(Control(id));
    box->setCurrentIndex(index);
    // The platform's combo box shows the selected entry in its edit field.
    if (box->isEditable()) {
        box->setEditText(box->itemText(index));
    }
}

int UpdateDialog::Selected(ControlId id) const {
    return qobject_cast<QComboBox*>(Control(id))->currentIndex();
}

std::optional<ChosenFile> UpdateDialog::ChooseFile(const std::string& title,
                                                   const std::string& filter) {
    const QString path = m_parts.chooseFile(this, QString::fromStdString(title),
                                            ToQtNameFilter(QString::fromStdString(filter)));
    if (path.isEmpty()) {
        return std::nullopt;
    }
    const QFileInfo chosen(path);
    return ChosenFile{chosen.fileName().toStdString(), chosen.absolutePath().toStdString()};
}

void UpdateDialog::MakeCurrentFolder(const std::string& folder) {
    QDir::setCurrent(QString::fromStdString(folder));
}

void UpdateDialog::ShowMessage(const std::string& text) {
    m_parts.showMessage(this, QString::fromStdString(text));
}

void UpdateDialog::PostClose() {
    // Queued, like a posted close: the click finishes before the window goes.
    QMetaObject::invokeMethod(
        this, [this] { close(); }, Qt::QueuedConnection);
}

void UpdateDialog::EndDialog() {
    QDialog::reject();
}

}  // namespace trelvo
