#include "ui/qt/fleet_add_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace trelvo {

FleetAddDialog::FleetAddDialog(const FleetAddTexts& texts, QWidget* parent)
    : QDialog(parent), lines_(new QPlainTextEdit(this)) {
    setWindowTitle(texts.title);
    auto* prompt = new QLabel(texts.prompt, this);
    prompt->setBuddy(lines_);
    lines_->setObjectName(QStringLiteral("recorder lines"));
    lines_->setAccessibleName(texts.prompt);
    lines_->setTabChangesFocus(true);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(texts.ok, QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(texts.cancel, QDialogButtonBox::RejectRole);
    QPushButton* report = buttons->addButton(texts.openReport, QDialogButtonBox::ActionRole);
    ok->setObjectName(QStringLiteral("ok"));
    cancel->setObjectName(QStringLiteral("cancel"));
    report->setObjectName(QStringLiteral("open report"));
    report->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(report, &QPushButton::clicked, this, [this] { done(kOpenReport); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(lines_);
    layout->addWidget(buttons);
    resize(420, 300);
}

std::optional<AddedRecorders> FleetAddDialog::Ask() {
    lines_->setFocus();
    switch (exec()) {
        case QDialog::Accepted:
            return AddedRecorders{lines_->toPlainText().toStdString(), false};
        case kOpenReport:
            return AddedRecorders{{}, true};
        default:
            return std::nullopt;
    }
}

}  // namespace trelvo
