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
FleetListModel::FleetListModel(QObject* parent) : QAbstractTableModel(parent) {
    repaint_.setSingleShot(true);
    repaint_.setInterval(kRepaintMs);
    connect(&repaint_, &QTimer::timeout, this, &FleetListModel::EmitChanged);
}

void FleetListModel::Reset() {
    // A reset shows every row anew.
    repaint_.stop();
    changedFirst_ = -1;
    beginResetModel();
    endResetModel();
}

void FleetListModel::Changed(int first, int last) {
    if (changedFirst_ < 0) {
        changedFirst_ = first;
        changedLast_ = last;
    } else {
        changedFirst_ = std::min(changedFirst_, first);
        changedLast_ = std::max(changedLast_, last);
    }
    if (!repaint_.isActive()) {
        repaint_.start();
    }
}

void FleetListModel::EmitChanged() {
    const int first = std::max(changedFirst_, 0);
    const int last = std::min(changedLast_, rowCount() - 1);
    changedFirst_ = -1;
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
