#include "ui/qt/fleet_progress_delegate.h"

#include <QApplication>
#include <QStyleOptionProgressBar>

#include "ui/qt/fleet_list_model.h"

namespace trelvo {

void FleetProgressDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const {
    const int percent = index.data(FleetListModel::kPercentRole).toInt();
    if (percent < 0 || !index.data(FleetListModel::kPercentRole).isValid()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionProgressBar bar;
    bar.rect = option.rect.adjusted(1, 1, -1, -1);
    bar.state = option.state | QStyle::State_Horizontal;
    bar.direction = option.direction;
    bar.fontMetrics = option.fontMetrics;
    bar.palette = option.palette;
    bar.minimum = 0;
    bar.maximum = 100;
    bar.progress = percent;
    bar.text = QString::number(percent) + QLatin1Char('%');
    bar.textVisible = true;
    bar.textAlignment = Qt::AlignCenter;
    const QWidget* widget = option.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ProgressBar, &bar, painter, widget);
}

}  // namespace trelvo
