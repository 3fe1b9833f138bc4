#include "ui/qt/fleet_window.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

#include "trelvo_version.h"
#include "ui/qt/fleet_progress_delegate.h"
#include "ui/qt/operator_text_edit.h"

namespace trelvo {
namespace {

constexpr const char* kFleetTitle = "Trelvo Fleet  v" TRELVO_VERSION;

enum class Kind { Label, Edit, OperatorEdit, Password, ReadOnly, Button, Choice, List };

// Every control with the name scripts and screen readers know it by; the
// labels are named by their texts. In tab order, FleetControl's.
struct ControlRow {
    FleetControl control;
    Kind kind;
    const char* name;
};
constexpr ControlRow kControls[] = {
    {FleetControl::PasswordLabel, Kind::Label, "password label"},
    {FleetControl::Password, Kind::Password, "password"},
    {FleetControl::CodeLabel, Kind::Label, "update code label"},
    {FleetControl::Code, Kind::OperatorEdit, "update code"},
    {FleetControl::FileLabel, Kind::Label, "update file label"},
    {FleetControl::File, Kind::ReadOnly, "update file"},
    {FleetControl::Browse, Kind::Button, "browse"},
    {FleetControl::Sha256, Kind::Label, "sha256"},
    {FleetControl::ParallelLabel, Kind::Label, "parallel label"},
    {FleetControl::Parallel, Kind::Edit, "parallel"},
    {FleetControl::TimeoutLabel, Kind::Label, "timeout label"},
    {FleetControl::Timeout, Kind::Edit, "timeout"},
    {FleetControl::RetriesLabel, Kind::Label, "retries label"},
    {FleetControl::Retries, Kind::Edit, "retries"},
    {FleetControl::SkipLabel, Kind::Label, "skip version label"},
    {FleetControl::Skip, Kind::Edit, "skip version"},
    {FleetControl::ExpectLabel, Kind::Label, "expect version label"},
    {FleetControl::Expect, Kind::Edit, "expect version"},
    {FleetControl::Add, Kind::Button, "add"},
    {FleetControl::HostsFile, Kind::Button, "hosts file"},
    {FleetControl::RangeLabel, Kind::Label, "discover range label"},
    {FleetControl::Range, Kind::Edit, "discover range"},
    {FleetControl::Discover, Kind::Button, "discover"},
    {FleetControl::FilterLabel, Kind::Label, "filter label"},
    {FleetControl::Filter, Kind::Choice, "filter"},
    {FleetControl::RecordersLabel, Kind::Label, "recorders label"},
    {FleetControl::Recorders, Kind::List, "recorders"},
    {FleetControl::CheckAll, Kind::Button, "check all"},
    {FleetControl::CheckNone, Kind::Button, "check none"},
    {FleetControl::CheckNeeded, Kind::Button, "check needed"},
    {FleetControl::Probe, Kind::Button, "probe"},
    {FleetControl::Start, Kind::Button, "start"},
    {FleetControl::Abort, Kind::Button, "abort"},
    {FleetControl::RetryFailed, Kind::Button, "retry failed"},
    {FleetControl::Export, Kind::Button, "export"},
    {FleetControl::Exit, Kind::Button, "exit"},
    {FleetControl::Summary, Kind::Label, "summary"},
};
static_assert(std::size(kControls) == kFleetControlCount);

// Which control each label names; Alt and the label's mnemonic go there.
constexpr std::pair<FleetControl, FleetControl> kLabelled[] = {
    {FleetControl::PasswordLabel, FleetControl::Password},
    {FleetControl::CodeLabel, FleetControl::Code},
    {FleetControl::FileLabel, FleetControl::File},
    {FleetControl::ParallelLabel, FleetControl::Parallel},
    {FleetControl::TimeoutLabel, FleetControl::Timeout},
    {FleetControl::RetriesLabel, FleetControl::Retries},
    {FleetControl::SkipLabel, FleetControl::Skip},
    {FleetControl::ExpectLabel, FleetControl::Expect},
    {FleetControl::RangeLabel, FleetControl::Range},
    {FleetControl::FilterLabel, FleetControl::Filter},
    {FleetControl::RecordersLabel, FleetControl::Recorders},
};

// The buttons and what each asks of the behaviour.
constexpr std::pair<FleetControl, void (FleetBehaviour::*)()> kCommands[] = {
    {FleetControl::Browse, &FleetBehaviour::OnBrowse},
    {FleetControl::Add, &FleetBehaviour::OnAdd},
    {FleetControl::HostsFile, &FleetBehaviour::OnHostsFile},
    {FleetControl::Discover, &FleetBehaviour::OnDiscover},
    {FleetControl::CheckAll, &FleetBehaviour::OnCheckAll},
    {FleetControl::CheckNone, &FleetBehaviour::OnCheckNone},
    {FleetControl::CheckNeeded, &FleetBehaviour::OnCheckNeeded},
    {FleetControl::Probe, &FleetBehaviour::OnProbe},
    {FleetControl::Start, &FleetBehaviour::OnStart},
    {FleetControl::Abort, &FleetBehaviour::OnAbort},
    {FleetControl::RetryFailed, &FleetBehaviour::OnRetryFailed},
    {FleetControl::Export, &FleetBehaviour::OnExport},
};

constexpr RowCommand kRowCommands[] = {RowCommand::Abort, RowCommand::Retry, RowCommand::Remove,
                                       RowCommand::Copy};

// Never the default button: Return starts or aborts nothing the operator
// did not point at with the mouse or a mnemonic.
QPushButton* MakeButton(QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

FleetWindow::FleetWindow(FleetWindowParts parts, QWidget* parent)
    : QWidget(parent),
      parts_(std::move(parts)),
      table_(new FleetTableView(this)),
      view_(*this, controls_, model_, *table_, parts_),
      behaviour_(view_, *parts_.settings, loop_, *parts_.clock, parts_.makeLinks, parts_.port) {
    setWindowTitle(QString::fromUtf8(kFleetTitle));
    CreateControls();
    LayOut();
    Connect();
    behaviour_.OnInit(QFile::encodeName(parts_.hostsPath).toStdString());
    model_.SetBehaviour(behaviour_);
    Control(FleetControl::Password)->setFocus();
}

FleetWindow::~FleetWindow() = default;

void FleetWindow::CreateControls() {
    QWidget* previous = nullptr;
    for (const ControlRow& row : kControls) {
        QWidget* control = nullptr;
        switch (row.kind) {
            case Kind::Label:
                control = new QLabel(this);
                break;
            case Kind::Edit:
                control = new QLineEdit(this);
                break;
            case Kind::OperatorEdit:
                control = MakeOperatorTextEdit(this);
                break;
            case Kind::Password: {
                QLineEdit* edit = MakeOperatorTextEdit(this);
                edit->setEchoMode(QLineEdit::Password);
                control = edit;
                break;
            }
            case Kind::ReadOnly: {
                auto* edit = new QLineEdit(this);
                edit->setReadOnly(true);
                control = edit;
                break;
            }
            case Kind::Button:
                control = MakeButton(this);
                break;
            case Kind::Choice:
                control = new QComboBox(this);
                break;
            case Kind::List:
                control = table_;
                break;
        }
        control->setObjectName(QString::fromLatin1(row.name));
        if (row.kind != Kind::Label || row.control == FleetControl::Sha256 ||
            row.control == FleetControl::Summary) {
            control->setAccessibleName(QString::fromLatin1(row.name));
        }
        if (previous != nullptr && control->focusPolicy() != Qt::NoFocus) {
            setTabOrder(previous, control);
        }
        if (control->focusPolicy() != Qt::NoFocus) {
            previous = control;
        }
        controls_[row.control] = control;
    }
    for (const auto& [label, control] : kLabelled) {
        qobject_cast<QLabel*>(Control(label))->setBuddy(Control(control));
    }
    auto* summary = qobject_cast<QLabel*>(Control(FleetControl::Summary));
    summary->setTextInteractionFlags(Qt::TextSelectableByMouse);

    table_->setModel(&model_);
    table_->setItemDelegateForColumn(FleetListModel::kProgressColumn,
                                     new FleetProgressDelegate(table_));
    QHeaderView* header = table_->horizontalHeader();
    header->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    header->resizeSection(1 + static_cast<int>(FleetColumn::Recorder), 150);
    header->resizeSection(1 + static_cast<int>(FleetColumn::Stage), 160);
    header->resizeSection(FleetListModel::kProgressColumn, 120);
}

void FleetWindow::LayOut() {
    const auto row = [this](std::initializer_list<FleetControl> controls) {
        auto* line = new QHBoxLayout;
        for (FleetControl control : controls) {
            line->addWidget(Control(control));
        }
        line->addStretch();
        return line;
    };
    using C = FleetControl;
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row({C::PasswordLabel, C::Password, C::CodeLabel, C::Code}));
    layout->addLayout(row({C::FileLabel, C::File, C::Browse, C::Sha256}));
    layout->addLayout(row(
        {C::ParallelLabel, C::Parallel, C::TimeoutLabel, C::Timeout, C::RetriesLabel, C::Retries}));
    layout->addLayout(row({C::SkipLabel, C::Skip, C::ExpectLabel, C::Expect}));
    layout->addLayout(row(
        {C::Add, C::HostsFile, C::RangeLabel, C::Range, C::Discover, C::FilterLabel, C::Filter}));
    layout->addWidget(Control(C::RecordersLabel));
    layout->addWidget(table_, 1);
    auto* commands = new QHBoxLayout;
    for (C command : {C::CheckAll, C::CheckNone, C::CheckNeeded}) {
        commands->addWidget(Control(command));
    }
    commands->addSpacing(24);
    for (C command : {C::Probe, C::Start, C::Abort, C::RetryFailed}) {
        commands->addWidget(Control(command));
    }
    commands->addStretch();
    layout->addLayout(commands);
    auto* bottom = row({C::Export});
    bottom->addWidget(Control(C::Exit));
    layout->addLayout(bottom);
    layout->addWidget(Control(C::Summary));

    for (C small : {C::Parallel, C::Timeout, C::Retries}) {
        Control(small)->setMaximumWidth(60);
    }
    Control(C::File)->setMinimumWidth(260);
    Control(C::Range)->setMinimumWidth(140);
    resize(980, 620);
}

void FleetWindow::Connect() {
    for (const auto& [control, command] : kCommands) {
        connect(qobject_cast<QPushButton*>(Control(control)), &QPushButton::clicked, this,
                [this, command = command] { (behaviour_.*command)(); });
    }
    connect(qobject_cast<QPushButton*>(Control(FleetControl::Exit)), &QPushButton::clicked, this,
            &QWidget::close);
    connect(qobject_cast<QComboBox*>(Control(FleetControl::Filter)), &QComboBox::activated, this,
            [this] { behaviour_.OnFilterChange(); });
    // Column 0 is the check box, which sorts nothing.
    connect(table_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        if (section > 0) {
            behaviour_.OnSort(section - 1);
        }
    });
    connect(table_, &FleetTableView::ToggleRequested, this,
            [this](int row) { behaviour_.OnToggleCheck(row); });
    connect(table_, &FleetTableView::RowMenuRequested, this, &FleetWindow::ShowRowMenu);
}

void FleetWindow::ShowRowMenu(int row, QPoint where) {
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("row menu"));
    for (RowCommand command : kRowCommands) {
        QAction* action =
            menu.addAction(QString::fromStdString(FleetBehaviour::RowCommandText(command)));
        action->setEnabled(behaviour_.RowCommandEnabled(row, command));
        action->setData(static_cast<int>(command));
    }
    const int resets = view_.resets();
    QAction* chosen = menu.exec(where);
    // The list was read anew while the menu was open: the number may name
    // another recorder now.
    if (chosen != nullptr && resets == view_.resets()) {
        behaviour_.OnRowCommand(row, static_cast<RowCommand>(chosen->data().toInt()));
    }
}

void FleetWindow::closeEvent(QCloseEvent* event) {
    if (behaviour_.OnClose()) {
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace trelvo
