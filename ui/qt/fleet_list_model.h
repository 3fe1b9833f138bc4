#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QTimer>

namespace trelvo {

class FleetBehaviour;

// The recorder list as the behaviour shows it: column 0 is the check box,
// the others FleetColumn's in order. It reads every cell from the
// behaviour and hands a click on a check box back to it; the behaviour
// says when rows change, and the model passes that on to the table.
class FleetListModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    // The progress column's percent, or -1 for no bar.
    static constexpr int kPercentRole = Qt::UserRole;
    static constexpr int kProgressColumn = 1 + 5;  // FleetColumn::Progress

    explicit FleetListModel(QObject* parent = nullptr);

    // Once the behaviour exists; until then the list is empty.
    void SetBehaviour(FleetBehaviour& behaviour);
    void SetTitles(const QStringList& titles);
    void Reset();
    void Changed(int first, int last);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    // Changes are shown at most this often: nobody reads a thousand rows
    // twenty times a second, and painting them so cost as much as the
    // sending.
    static constexpr int kRepaintMs = 100;

    void EmitChanged();

    FleetBehaviour* behaviour_ = nullptr;
    QTimer repaint_;
    int changedFirst_ = -1;  // the rows changed since the last repaint; -1: none
    int changedLast_ = -1;
    QStringList titles_;
};

}  // namespace trelvo
