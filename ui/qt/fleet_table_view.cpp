#include "ui/qt/fleet_table_view.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>

namespace trelvo {

FleetTableView::FleetTableView(QWidget* parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setWordWrap(false);
    verticalHeader()->hide();
    // Rows of one height let the table place a thousand rows without
    // measuring each.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(true);
}

void FleetTableView::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Space:
            if (event->modifiers() == Qt::NoModifier && currentIndex().isValid()) {
                emit ToggleRequested(currentIndex().row());
            }
            event->accept();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            event->accept();
            return;
        default:
            QTableView::keyPressEvent(event);
    }
}

void FleetTableView::contextMenuEvent(QContextMenuEvent* event) {
    const bool byMouse = event->reason() == QContextMenuEvent::Mouse;
    const int row = byMouse ? rowAt(event->pos().y()) : currentIndex().row();
    if (row < 0) {
        return;
    }
    QPoint where = event->globalPos();
    if (!byMouse) {
        // The menu opens at the row the keyboard means, not at the mouse.
        where = viewport()->mapToGlobal(visualRect(currentIndex()).bottomLeft());
    }
    emit RowMenuRequested(row, where);
}

}  // namespace trelvo
