#include "ui/qt/qt_dialog_view.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <utility>

#include "ui/qt/name_filter.h"
#include "ui/qt/operator_text_edit.h"

namespace trelvo {

QtDialogView::QtDialogView(QWidget& dialog, const std::map<ControlId, QWidget*>& controls,
                           DialogParts& parts, std::function<void()> endDialog)
    : dialog_(dialog), controls_(controls), parts_(parts), endDialog_(std::move(endDialog)) {}

std::string QtDialogView::Text(ControlId id) const {
    QWidget* control = Control(id);
    if (auto* box = qobject_cast<QComboBox*>(control)) {
        return box->currentText().toStdString();
    }
    return qobject_cast<QLineEdit*>(control)->text().toStdString();
}

Secret QtDialogView::SecretText(ControlId id) const {
    // The edit's text is shared, not copied, on its way to the conversion.
    return Utf8Secret(qobject_cast<QLineEdit*>(Control(id))->text());
}

void QtDialogView::SetText(ControlId id, const std::string& text) {
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

void QtDialogView::Enable(ControlId id, bool enable) {
    Control(id)->setEnabled(enable);
}

void QtDialogView::SetProgress(int position) {
    qobject_cast<QProgressBar*>(Control(IDC_PROGRESS))->setValue(position);
}

std::optional<ControlId> QtDialogView::FocusedControl() const {
    QWidget* focused = dialog_.focusWidget();
    for (const auto& [id, control] : controls_) {
        if (control == focused) {
            return id;
        }
    }
    return std::nullopt;
}

void QtDialogView::SetFocus(ControlId id) {
    Control(id)->setFocus(Qt::OtherFocusReason);
}

void QtDialogView::ClearList(ControlId id) {
    qobject_cast<QComboBox*>(Control(id))->clear();
}

void QtDialogView::AppendToList(ControlId id, const std::string& text) {
    qobject_cast<QComboBox*>(Control(id))->addItem(QString::fromStdString(text));
}

int QtDialogView::ListCount(ControlId id) const {
    return qobject_cast<QComboBox*>(Control(id))->count();
}

void QtDialogView::Select(ControlId id, int index) {
    auto* box = qobject_cast<QComboBox*>(Control(id));
    box->setCurrentIndex(index);
    // The platform's combo box shows the selected entry in its edit field.
    if (box->isEditable()) {
        box->setEditText(box->itemText(index));
    }
}

int QtDialogView::Selected(ControlId id) const {
    return qobject_cast<QComboBox*>(Control(id))->currentIndex();
}

std::optional<ChosenFile> QtDialogView::ChooseFile(const std::string& title,
                                                   const std::string& filter) {
    const QString path = parts_.chooseFile(&dialog_, QString::fromStdString(title),
                                           ToQtNameFilter(QString::fromStdString(filter)));
    if (path.isEmpty()) {
        return std::nullopt;
    }
    const QFileInfo chosen(path);
    return ChosenFile{chosen.fileName().toStdString(), chosen.absolutePath().toStdString()};
}

void QtDialogView::MakeCurrentFolder(const std::string& folder) {
    QDir::setCurrent(QString::fromStdString(folder));
}

void QtDialogView::ShowMessage(const std::string& text) {
    parts_.showMessage(&dialog_, QString::fromStdString(text));
}

void QtDialogView::PostClose() {
    // Queued, like a posted close: the click finishes before the window goes.
    QMetaObject::invokeMethod(
        &dialog_, [this] { dialog_.close(); }, Qt::QueuedConnection);
}

void QtDialogView::EndDialog() {
    endDialog_();
}

}  // namespace trelvo
