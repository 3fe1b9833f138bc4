#include "ui/qt/qt_fleet_view.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>

#include "localisation/fleet_text.h"
#include "ui/qt/fleet_add_dialog.h"
#include "ui/qt/name_filter.h"
#include "ui/qt/operator_text_edit.h"

namespace trelvo {
namespace {

QString ToQt(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

QtFleetView::QtFleetView(QWidget& window, const std::map<FleetControl, QWidget*>& controls,
                         FleetListModel& model, FleetTableView& table, FleetWindowParts& parts)
    : window_(window), controls_(controls), model_(model), table_(table), parts_(parts) {}

std::string QtFleetView::Text(FleetControl control) const {
    QWidget* widget = Control(control);
    if (auto* box = qobject_cast<QComboBox*>(widget)) {
        return box->currentText().toStdString();
    }
    return qobject_cast<QLineEdit*>(widget)->text().toStdString();
}

Secret QtFleetView::SecretText(FleetControl control) const {
    // The edit's text is shared, not copied, on its way to the conversion.
    return Utf8Secret(qobject_cast<QLineEdit*>(Control(control))->text());
}

void QtFleetView::ClearSecret(FleetControl control) {
    WipeEdit(*qobject_cast<QLineEdit*>(Control(control)));
}

void QtFleetView::SetText(FleetControl control, const std::string& text) {
    QWidget* widget = Control(control);
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(ToQt(text));
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        button->setText(ToQt(text));
    } else if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(ToQt(text));
    }
}

void QtFleetView::Enable(FleetControl control, bool enable) {
    Control(control)->setEnabled(enable);
}

void QtFleetView::SetChoices(FleetControl control, const std::vector<std::string>& texts) {
    auto* box = qobject_cast<QComboBox*>(Control(control));
    const int chosen = box->currentIndex();
    box->clear();
    for (const std::string& text : texts) {
        box->addItem(ToQt(text));
    }
    // New words for the same entries, as when the language is set.
    if (chosen >= 0 && chosen < box->count()) {
        box->setCurrentIndex(chosen);
    }
}

int QtFleetView::Choice(FleetControl control) const {
    return qobject_cast<QComboBox*>(Control(control))->currentIndex();
}

void QtFleetView::SetChoice(FleetControl control, int index) {
    qobject_cast<QComboBox*>(Control(control))->setCurrentIndex(index);
}

void QtFleetView::SetColumnTitles(const std::vector<std::string>& titles) {
    QStringList qtTitles;
    for (const std::string& title : titles) {
        qtTitles.append(ToQt(title));
    }
    model_.SetTitles(qtTitles);
}

// Column 0 of the table is the check box, before the behaviour's columns.
void QtFleetView::SetSortIndicator(int column, bool ascending) {
    QHeaderView* header = table_.horizontalHeader();
    header->setSortIndicatorShown(column >= 0);
    header->setSortIndicator(column >= 0 ? column + 1 : -1,
                             ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void QtFleetView::RowsReset() {
    ++resets_;
    model_.Reset();
}

void QtFleetView::RowsChanged(int first, int last) {
    model_.Changed(first, last);
}

int QtFleetView::CurrentRow() const {
    const QModelIndex current = table_.currentIndex();
    return current.isValid() ? current.row() : -1;
}

std::optional<std::string> QtFleetView::ChooseFile(FleetFile kind, bool save,
                                                   const std::string& title,
                                                   const std::string& filter,
                                                   const std::string& folder,
                                                   const std::string& proposedName) {
    const QString path =
        parts_.chooseFile(&window_, kind, save, ToQt(title), ToQtNameFilter(ToQt(filter)),
                          QFile::decodeName(folder.c_str()), ToQt(proposedName));
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return QFile::encodeName(path).toStdString();
}

std::optional<AddedRecorders> QtFleetView::AskRecorders() {
    const FleetAddTexts texts{
        ToQt(LocalizeFleetText("Rekorder hinzufügen")),
        ToQt(LocalizeFleetText("Namen oder Adressen, einer je Zeile:")),
        ToQt(LocalizeFleetText("&Bericht öffnen…")),
        ToQt(LocalizeFleetText("OK")),
        ToQt(LocalizeFleetText("Abbruch")),
    };
    FleetAddDialog dialog(texts, &window_);
    return dialog.Ask();
}

bool QtFleetView::Confirm(const std::string& text) {
    return parts_.confirm(&window_, ToQt(text));
}

void QtFleetView::ShowMessage(const std::string& text) {
    parts_.showMessage(&window_, ToQt(text));
}

void QtFleetView::CopyText(const std::string& text) {
    QGuiApplication::clipboard()->setText(ToQt(text));
}

void QtFleetView::CloseWindow() {
    // Queued: the event under way finishes before the window goes.
    QMetaObject::invokeMethod(
        &window_, [this] { window_.close(); }, Qt::QueuedConnection);
}

}  // namespace trelvo
