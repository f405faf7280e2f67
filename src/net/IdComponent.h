#pragma once

#include "framework/Component.h"

// Base of the networking components. Each one holds the process-wide socket
// stack: the first one made starts it, the last one destroyed ends it.
// Components are made and destroyed on the GUI thread only.
class TIdComponent : public TComponent {
    Q_OBJECT

public:
    // Raises when the socket stack cannot be started.
    explicit TIdComponent(QObject *owner = nullptr);
    ~TIdComponent() override;
};
