#pragma once

#include <QRect>

#include "ui/behaviour/dialog_template.h"

namespace trelvo {

// Pixels at 96 dots per inch: the 8-point font's dialog unit is 1.5 pixels
// wide and 1.625 high. Each edge is converted and rounded on its own, the
// way the platform maps dialog rectangles, so neighbours stay flush.
QRect ToPixels(const DialogRect& rect);

}  // namespace trelvo
