#pragma once

#include "app/MainUnit.h"
#include "support/frmMainProbe.h"

#include <QCoreApplication>

#include <memory>

// The real main window, shown, with its poll timer stopped: nothing happens
// in it but what the benchmark does.
inline std::unique_ptr<TfrmMain> QuietMainWindow()
{
    auto window = std::make_unique<TfrmMain>();
    TfrmMainProbe(*window).Timer1()->stop();
    window->show();
    QCoreApplication::processEvents();
    return window;
}
