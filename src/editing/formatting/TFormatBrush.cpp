#include "editing/formatting/TFormatBrush.h"

TFormatBrush& FormatBrush() {
    static TFormatBrush brush;
    return brush;
}
