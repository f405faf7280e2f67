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

// The rectangle stored as "NormPos" for the window's normal state: on
// Windows the frame's as the system keeps it (GetWindowPlacement: invisible
// resize borders included, which Qt's frameGeometry leaves out, and in
// workspace coordinates), on Linux the client area's.
QRect StoredNormalRect(const QWidget &window);
