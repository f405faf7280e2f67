#pragma once

// The window rectangles the placement stores, as the settings keep them.

#include <QByteArray>
#include <QRect>
#include <QWidget>

// "left,top,right,bottom", as in "NormPos".
inline QByteArray RectText(const QRect &r)
{
    return QByteArray::number(r.x()) + ',' + QByteArray::number(r.y()) + ',' + QByteArray::number(r.x() + r.width())
           + ',' + QByteArray::number(r.y() + r.height());
}

// The rectangle stored as "NormPos" for a window in its normal state: on
// Windows the frame's (GetWindowPlacement), on Linux the client area's.
inline QRect StoredNormalRect(const QWidget &window)
{
#ifdef Q_OS_WIN
    return window.frameGeometry();
#else
    return window.geometry();
#endif
}
