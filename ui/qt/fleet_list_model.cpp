#include "ui/qt/fleet_list_model.h"

#include "ui/fleet/fleet_behaviour.h"

namespace trelvo {
namespace {

static_assert(FleetListModel::kProgressColumn == 1 + static_cast<int>(FleetColumn::Progress));

FleetColumn ColumnOf(const QModelIndex& index) {
    return static_cast<FleetColumn>(index.column() - 1);
}

}  // namespace

void FleetListModel::SetBehaviour(FleetBehaviour& behaviour) {
    beginResetModel();
    behaviour_ = &behaviour;
    endResetModel();
}

void FleetListModel::SetTitles(const QStringList& titles) {
    titles_ = titles;
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

// The behaviour has changed its rows already; the table only has to read
// them again.
void FleetListModel::Reset() {
    beginResetModel();
    endResetModel();
}

void FleetListModel::Changed(int first, int last) {
    const int rows = rowCount();
    first = std::max(first, 0);
    last = std::min(last, rows - 1);
    if (first <= last) {
        emit dataChanged(index(first, 0), index(last, columnCount() - 1));
    }
}

int FleetListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || behaviour_ == nullptr ? 0 : behaviour_->RowCount();
}

int FleetListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 1 + kFleetColumnCount;
}

QVariant FleetListModel::data(const QModelIndex& index, int role) const {
    if (behaviour_ == nullptr || !index.isValid() || index.row() >= behaviour_->RowCount()) {
        return {};
    }
    if (index.column() == 0) {
        if (role == Qt::CheckStateRole) {
            return behaviour_->Checked(index.row()) ? Qt::Checked : Qt::Unchecked;
        }
        return {};
    }
    if (role == Qt::DisplayRole) {
        return QString::fromStdString(behaviour_->Cell(index.row(), ColumnOf(index)));
    }
    if (role == kPercentRole && index.column() == kProgressColumn) {
        return behaviour_->Percent(index.row());
    }
    return {};
}

// The check box: the behaviour toggles it and reports the row changed.
bool FleetListModel::setData(const QModelIndex& index, const QVariant& /*value*/, int role) {
    if (behaviour_ == nullptr || index.column() != 0 || role != Qt::CheckStateRole) {
        return false;
    }
    behaviour_->OnToggleCheck(index.row());
    return true;
}

Qt::ItemFlags FleetListModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == 0) {
        flags |= Qt::ItemIsUserCheckable;
    }
    return flags;
}

QVariant FleetListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 1 ||
        section > titles_.size()) {
        return {};
    }
    return titles_.at(section - 1);
}

}  // namespace trelvo
