#include "ui/qt/dialog_pixels.h"

namespace trelvo {
namespace {

// Horizontal base unit 6 over 4 and vertical base unit 13 over 8, rounded to
// the nearest pixel with halves away from zero; dialog units are never negative.
int ScaleRounded(int units, int numerator, int denominator) {
    return (2 * units * numerator + denominator) / (2 * denominator);
}

int HorizontalPixels(int units) {
    return ScaleRounded(units, 6, 4);
}

int VerticalPixels(int units) {
    return ScaleRounded(units, 13, 8);
}

}  // namespace

QRect ToPixels(const DialogRect& rect) {
    const int left = HorizontalPixels(rect.x);
    const int top = VerticalPixels(rect.y);
    const int right = HorizontalPixels(rect.x + rect.width);
    const int bottom = VerticalPixels(rect.y + rect.height);
    return QRect(left, top, right - left, bottom - top);
}

}  // namespace trelvo
