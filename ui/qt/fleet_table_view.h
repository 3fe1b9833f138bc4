#pragma once

#include <QPoint>
#include <QTableView>

namespace trelvo {

// The recorder list's keys and menu: Space asks to toggle the current
// row's check whatever column has the focus, Return and Enter do nothing
// (so a key meant for the list never starts or aborts anything), and the
// context menu, by mouse or keyboard, is asked for the row it concerns.
class FleetTableView final : public QTableView {
    Q_OBJECT

public:
    explicit FleetTableView(QWidget* parent = nullptr);

signals:
    void ToggleRequested(int row);
    void RowMenuRequested(int row, QPoint globalPosition);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
};

}  // namespace trelvo
