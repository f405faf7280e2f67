#pragma once

// A host record of the system's resolver (its hostent, BSD's or Windows
// Sockets'), copied out of the resolver's own buffer at once: both keep one
// record a thread and overwrite it with the next lookup.

#include "platform/sockets/Sockets.h"

#include <cstring>

namespace Sockets {

template <class THostent>
THostRecord CopyHost(const THostent &entry)
{
    THostRecord host;
    host.Name = entry.h_name ? QByteArray(entry.h_name) : QByteArray();
    for (char **alias = entry.h_aliases; alias && *alias; ++alias)
        host.Aliases.append(QByteArray(*alias));
    if (entry.h_addrtype == AfInet && entry.h_length == 4) {
        for (char **item = entry.h_addr_list; item && *item; ++item) {
            TInAddr address;
            std::memcpy(address.data(), *item, 4);
            host.Addresses.append(address);
        }
    }
    return host;
}

} // namespace Sockets
