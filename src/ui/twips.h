#pragma once
// Window layouts are kept in twips (1/1440 inch) and turned into pixels at the screen's logical
// DPI, so the windows keep their proportions on any display.

#include <QRect>
#include <QWidget>

namespace ui {

inline int twipsToPixels(int twips, int dpi)
{
    return twips * dpi / 1440;
}

// A child's rectangle (left, top, width, height in twips) on `widget`'s screen.
inline QRect twipsRect(const QWidget* widget, int left, int top, int width, int height)
{
    const int dpiX = widget->logicalDpiX();
    const int dpiY = widget->logicalDpiY();
    return QRect(twipsToPixels(left, dpiX), twipsToPixels(top, dpiY), twipsToPixels(width, dpiX),
                 twipsToPixels(height, dpiY));
}

inline QSize twipsSize(const QWidget* widget, int width, int height)
{
    return QSize(twipsToPixels(width, widget->logicalDpiX()), twipsToPixels(height, widget->logicalDpiY()));
}

} // namespace ui
