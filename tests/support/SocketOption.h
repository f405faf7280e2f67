#pragma once

// An integer option of a socket, read back with the system's own call, so
// that a test sees what the platform calls really set.

#include "platform/sockets/Sockets.h"

#ifdef Q_OS_WIN
#include <winsock2.h>
// windows.h would rename the program's SetPort (TIdSocketHandle) here.
#undef SetPort
#else
#include <sys/socket.h>
#endif

// `level` and `name` are the system's (SOL_SOCKET, SO_BROADCAST ...); -1
// when the option cannot be read.
inline int SocketOptionValue(Sockets::TSocket s, int level, int name)
{
    int value = -1;
#ifdef Q_OS_WIN
    int length = sizeof value;
    if (::getsockopt(SOCKET(intptr_t(s)), level, name, reinterpret_cast<char *>(&value), &length) != 0)
        return -1;
#else
    socklen_t length = sizeof value;
    if (::getsockopt(s, level, name, &value, &length) != 0)
        return -1;
#endif
    return value;
}
