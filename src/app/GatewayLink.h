#pragma once

#include "app/GatewayProtocol.h"
#include "net/HostLookup.h"

#include <QByteArray>

// The link to the gateway as "Пуск" started it and the gateway's replies
// taught it: what the gateway handlers share.
struct TGatewayLink {
    TMacAddress GatewayMac{};      // from the last identity reply
    QByteArray Host;               // gateway host, set by "Пуск"
    QByteArray HostAddress;        // the address Host resolved to at the last "Пуск"
    QByteArray PortText;           // gateway port as text, set by "Пуск"
    bool PollFailureShown = false; // a failed poll's error box is open
    THostLookup HostLookup;        // Host being looked up, for the greeting or a poll
};
