#pragma once

#include <QString>

namespace trelvo {

// Turns a file-dialog filter in the "label|patterns|label|patterns||" form
// into the toolkit's "label (patterns);;label (patterns)" form; the labels
// stay as they are and ";" between patterns becomes a blank.
QString ToQtNameFilter(const QString& windowsFilter);

}  // namespace trelvo
