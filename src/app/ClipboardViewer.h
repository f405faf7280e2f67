#pragma once

#include "app/CustomClipboardViewer.h"

// The clipboard viewer as forms place it.
class TClipboardViewer : public TCustomClipboardViewer {
    Q_OBJECT

public:
    using TCustomClipboardViewer::TCustomClipboardViewer;
};
