#pragma once

#include <QStyledItemDelegate>

namespace trelvo {

// Draws the progress column's cells as a bar with the percent on it, in
// the style's own look; a row without a bar shows its text.
class FleetProgressDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

}  // namespace trelvo
