#include "ui/update_dialog.h"

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
#include <initializer_list>
#include <string_view>
#include <utility>

#include "job/job_status_text.h"
#include "job/text/secret.h"
#include "job/version_check.h"
#include "ui/dialog_pixels.h"
#include "ui/localisation/localize_text.h"
#include "ui/name_filter.h"
#include "ui/secret.h"
#include "ui/windows1252.h"

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

QString Localized(const char* german) {
    return QString::fromStdString(LocalizeText(german));
}

// Selects an entry and shows its text in the edit field, as selecting does
// on the platform's combo box; -1 selects nothing and empties the field.
void Select(QComboBox& box, int index) {
    box.setCurrentIndex(index);
    if (box.isEditable()) {
        box.setEditText(box.itemText(index));
    }
}

// Selects the first entry that begins with the text, letter case aside, or
// else puts the text into the edit field.
void LoadComboText(QComboBox& box, const QString& text) {
    const int index = box.findText(text, Qt::MatchStartsWith);
    if (index >= 0) {
        Select(box, index);
    } else {
        box.setEditText(text);
    }
}

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

void UpdateDialog::JobMessages::Show(const std::string& text) {
    dialog_.ShowMessage(QString::fromStdString(LocalizeText(text)));
}

UpdateDialog::UpdateDialog(DialogParts parts, QWidget* parent)
    : QDialog(parent),
      m_parts(std::move(parts)),
      m_jobMessages(*this),
      m_job(*m_parts.net, *m_parts.serial, *m_parts.clock, m_jobMessages),
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
    OnInitDialog();
}

UpdateDialog::~UpdateDialog() = default;

void UpdateDialog::OnInitDialog() {
    CreateControls();
    DoDataExchange(false);
    setWindowIcon(m_icon);

    m_hostsReader.BuildTable();
    m_hostsReader.ParseFile(QFile::encodeName(m_parts.hostsPath).toStdString());

    m_baudRates = {QStringLiteral("4800"),  QStringLiteral("7200"),  QStringLiteral("9600"),
                   QStringLiteral("14400"), QStringLiteral("19200"), QStringLiteral("38400"),
                   QStringLiteral("57600"), QStringLiteral("115200")};

    // The source file changes only through the browse button.
    m_sourceFileEdit->setEnabled(false);

    SetLabelTexts();
    m_start->setText(Localized("Start"));
    m_exit->setText(Localized("Beenden"));
    DoDataExchange(false);
    LabelControls();
    FillLists();

    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(TICK_PERIOD_MS);
    // The timer's own handler only queues the tick. Qt fires no timer again
    // while its handler runs, so a message box opened inside the tick (a
    // serial reply, a short read of the file) would stop every refresh under
    // it; a queued tick lets the handler return first, and the box's event
    // loop goes on ticking. The tick itself runs as before, box included.
    connect(&m_timer, &QTimer::timeout, this, &UpdateDialog::OnTimer, Qt::QueuedConnection);
    m_timer.start();

    m_job.SetOwner(*this);
    ApplyAppearance();
    m_passwordEdit->setFocus();
}

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
                control = m_sourceFileEdit = new QLineEdit(this);
                break;
            case IDC_BROWSE:
                control = m_browse = MakeButton(row, this);
                connect(m_browse, &QPushButton::clicked, this, &UpdateDialog::OnBrowse);
                break;
            case IDC_LINK_KIND:
                control = m_linkKind = new QComboBox(this);
                rect.setHeight(kClosedComboHeight);
                // Created and filled, but never shown: every update goes over the network.
                m_linkKind->hide();
                connect(m_linkKind, &QComboBox::activated, this, &UpdateDialog::OnLinkKindChange);
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
                        &UpdateDialog::OnAddressEdit);
                break;
            case IDC_START:
                control = m_start = MakeButton(row, this);
                m_start->setDefault(true);
                connect(m_start, &QPushButton::clicked, this, &UpdateDialog::OnStart);
                break;
            case IDC_EXIT:
                control = m_exit = MakeButton(row, this);
                connect(m_exit, &QPushButton::clicked, this, &UpdateDialog::OnExit);
                break;
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
            default: {
                control = LabelOf(row.id).control = MakeLabel(row, Qt::AlignRight, this);
                // The platform's sans-serif runs wider than the template's
                // font; the transparent label reaches to the window's left
                // edge so a long text grows leftwards instead of being cut.
                rect.setLeft(0);
                break;
            }
        }
        control->setObjectName(QString::fromLatin1(row.name));
        control->setGeometry(rect);
    }
}

void UpdateDialog::DoDataExchange(bool saveAndValidate) {
    if (saveAndValidate) {
        m_address = m_addressBox->currentText();
        m_linkIndex = m_linkKind->currentIndex();
        m_password = m_passwordEdit->text();
        m_sourceFile = m_sourceFileEdit->text();
        m_updateCode = m_updateCodeEdit->text();
        for (LabelField& label : m_labels) {
            label.text = label.control->text();
        }
        return;
    }
    LoadComboText(*m_addressBox, m_address);
    m_linkKind->setCurrentIndex(m_linkIndex);
    m_passwordEdit->setText(m_password);
    m_sourceFileEdit->setText(m_sourceFile);
    m_updateCodeEdit->setText(m_updateCode);
    for (const LabelField& label : m_labels) {
        label.control->setText(label.text);
    }
}

void UpdateDialog::SetLabelTexts() {
    // Each label's German text is its template text.
    for (LabelField& label : m_labels) {
        label.text = Localized(TemplateOf(label.id).text);
    }
}

void UpdateDialog::LabelControls() {
    // A screen reader then announces "Administrator Passwort:" for the
    // password edit, not just "edit"; with no mnemonic in their texts the
    // labels look as before.
    for (const auto& [labelId, controlId] : kLabelled) {
        LabelOf(labelId).control->setBuddy(
            findChild<QWidget*>(QLatin1String(TemplateOf(controlId).name)));
    }
    // The browse button has no label of its own: it sets the source file.
    m_browse->setAccessibleName(LabelOf(IDC_LABEL_FILE).text);
    m_browse->setAccessibleDescription(Localized("Updatedatei auswählen"));
}

UpdateDialog::LabelField& UpdateDialog::LabelOf(ControlId id) {
    return *std::find_if(m_labels.begin(), m_labels.end(),
                         [id](const LabelField& label) { return label.id == id; });
}

void UpdateDialog::FillLists() {
    for (const char* kind : {"Netzwerk", "COM1", "COM2"}) {
        m_linkKind->addItem(Localized(kind));
    }
    m_linkKind->setCurrentIndex(0);
    AppendHostNames();
    Select(*m_addressBox, m_addressBox->count() > 0 ? 0 : -1);
}

void UpdateDialog::AppendHostNames() {
    for (const std::string& name : m_hostsReader.names()) {
        m_addressBox->addItem(QString::fromStdString(name));
    }
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

void UpdateDialog::OnBrowse() {
    const QString path =
        m_parts.chooseFile(this, Localized("Updatedatei auswählen"),
                           ToQtNameFilter(Localized("Update Dateien(*.sh)|*.sh||")));
    if (path.isEmpty()) {
        return;
    }
    const QFileInfo chosen(path);
    if (chosen.suffix().compare(QLatin1String("sh"), Qt::CaseInsensitive) != 0) {
        ShowMessage(Localized("Es sind nur *.sh Dateien gültig"));
        return;
    }
    // The job opens the bare name in the current folder, and the recorder
    // gets the same bare name behind its directory.
    QDir::setCurrent(chosen.absolutePath());
    m_sourceFileEdit->setText(chosen.fileName());
}

void UpdateDialog::OnStart() {
    EnableInputs(false);
    DoDataExchange(true);
    const std::string fileName = QFile::encodeName(m_sourceFile).toStdString();
    const Secret password(ToWindows1252(m_password));
    // The edit keeps the password for the next start; the window's other
    // copies go once the job has taken its own, which it wipes on closing.
    Wipe(m_password);
    const std::string updateCode = ToWindows1252(m_updateCode);
    // From here on the job reports its own failures and gives the inputs
    // back when it closes.
    if (m_linkIndex == 0) {
        m_job.StartNetwork(fileName, password.text(), updateCode, m_address.toStdString(),
                           m_parts.port);
    } else if (m_linkIndex == 1 || m_linkIndex == 2) {
        m_job.StartSerial(fileName, password.text(), updateCode, m_linkIndex,
                          ReadAtoi(m_address.toStdString()));
    }
}

void UpdateDialog::OnLinkKindChange() {
    m_addressBox->clear();
    if (m_linkKind->currentIndex() == 0) {
        AppendHostNames();
        Select(*m_addressBox, -1);
        return;
    }
    for (const QString& rate : m_baudRates) {
        m_addressBox->addItem(rate);
    }
    Select(*m_addressBox, m_addressBox->count() - 1);
}

void UpdateDialog::OnAddressEdit() {
    // A serial link's baud rate is picked from the list, never typed.
    if (m_linkKind->currentIndex() != 0) {
        Select(*m_addressBox, m_addressBox->count() - 1);
    }
}

void UpdateDialog::OnExit() {
    if (m_job.linkKind() != LinkKind::None) {
        m_job.Close();
        return;
    }
    // Queued, like a posted close: the click finishes before the window goes.
    QMetaObject::invokeMethod(
        this, [this] { close(); }, Qt::QueuedConnection);
}

void UpdateDialog::reject() {
    OnCancel();
}

void UpdateDialog::OnCancel() {
    if (m_job.linkKind() != LinkKind::None) {
        m_job.Close();
    }
    QDialog::reject();
}

void UpdateDialog::OnTimer() {
    // First the step, so the texts below show the state after it.
    const int progress = m_job.PumpTransfer();
    // A value outside the states leaves the field as it was.
    if (const std::string_view text = StatusText(m_job.state()); !text.empty()) {
        m_status->setText(Localized(text.data()));
    }
    m_time->setText(QString::fromStdString(m_job.RemainingTimeText()));
    // The position is handed over as it is; the bar shows a value beyond its
    // range as full or empty instead of ignoring it.
    m_progress->setValue(std::clamp(progress, m_progress->minimum(), m_progress->maximum()));
    emit Refreshed();
}

void UpdateDialog::EnableInputs(bool enable) {
    const std::initializer_list<QWidget*> inputs{m_passwordEdit, m_updateCodeEdit, m_browse,
                                                 m_linkKind,     m_addressBox,     m_start};
    if (!enable && m_focusAtStart == nullptr) {
        QWidget* focused = focusWidget();
        m_focusAtStart =
            std::find(inputs.begin(), inputs.end(), focused) != inputs.end() ? focused : m_start;
        // Disabling the focused input would hand the focus on to the next
        // enabled button, Abort, and Return or Space would end the update.
        // The progress bar holds it instead: it takes no keys, Tab still
        // reaches Abort, and the window gives it back when reactivated.
        m_progress->setFocus(Qt::OtherFocusReason);
    }
    for (QWidget* input : inputs) {
        input->setEnabled(enable);
    }
    m_exit->setText(Localized(enable ? "Beenden" : "Abbrechen"));
    if (enable && m_focusAtStart != nullptr) {
        // Also after an abort from the keyboard: left on Exit, the next
        // Return would end the program.
        std::exchange(m_focusAtStart, nullptr)->setFocus(Qt::OtherFocusReason);
    }
}

void UpdateDialog::ShowMessage(const QString& text) {
    m_parts.showMessage(this, text);
}

}  // namespace trelvo
