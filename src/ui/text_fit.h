#pragma once
// The window layouts were drawn for the Japanese fonts of their day; today's fonts are taller
// and wider, so a label is grown to its text's real size before it cuts a glyph.

#include <QFontMetrics>
#include <QLabel>

#include <algorithm>

namespace ui {

// Grows `label` to hold its text whole (keeping its top left), then moves it back inside `area`
// (its parent's coordinates) where it would reach past the edge.
inline void fitLabelToText(QLabel* label, const QRect& area)
{
    const QFontMetrics metrics(label->font());
    const QSize text = metrics.size(Qt::TextSingleLine, label->text());
    QRect rect = label->geometry();
    rect.setSize(rect.size().expandedTo(text + QSize(2 * label->margin() + 2, 2 * label->margin())));
    if (rect.right() > area.right())
        rect.moveRight(area.right());
    if (rect.bottom() > area.bottom())
        rect.moveBottom(area.bottom());
    label->setGeometry(rect);
}

} // namespace ui
