#include "ui/qt/name_filter.h"

#include <QStringList>

namespace trelvo {

QString ToQtNameFilter(const QString& windowsFilter) {
    const QStringList parts = windowsFilter.split(QLatin1Char('|'));
    QStringList filters;
    // Pairs of label and patterns; an empty label ends the list.
    for (qsizetype i = 0; i + 1 < parts.size() && !parts[i].isEmpty(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        filters.append(parts[i] + QStringLiteral(" (") + patterns.trimmed() + QLatin1Char(')'));
    }
    return filters.join(QStringLiteral(";;"));
}

}  // namespace trelvo
