#pragma once

// What the placement tests look at: a window's placement as the platform
// reports it, and whether a window counted as visible in its show event.

#include "platform/placement/WindowPlacement.h"

#include <QShowEvent>
#include <QWidget>
#include <gtest/gtest.h>

inline Wnd::TWindowPlacement PlacementOf(const QWidget &w)
{
    Wnd::TWindowPlacement placement;
    EXPECT_TRUE(Wnd::GetWindowPlacement(&w, &placement));
    return placement;
}

// Records whether the window counted as visible during its show event.
class ShowProbe : public QWidget {
public:
    bool VisibleInShowEvent = true;

protected:
    void showEvent(QShowEvent *event) override
    {
        QWidget::showEvent(event);
        VisibleInShowEvent = Wnd::IsWindowVisible(this);
    }
};
