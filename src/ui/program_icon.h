#pragma once

#include <QIcon>

namespace ui {

// The program's icon, shared by all five windows (compiled into the program).
inline QIcon programIcon()
{
    return QIcon(QStringLiteral(":/fernhold/fernhold.png"));
}

} // namespace ui
