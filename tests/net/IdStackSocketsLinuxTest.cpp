// The stack's bind on BSD sockets: an address that is not this host's is
// refused, as Windows refuses it. Wine lets such a bind succeed (it binds
// whatever address it is given), so the check runs on Linux only.

#include "net/IdStackWinsock.h"

#include <gtest/gtest.h>

using namespace Sockets;

TEST(StackSocketsOnLinux, BindToAnAddressNotThisHostsFails)
{
    TIdStackWinsock stack;
    const TIdStackSocketHandle foreign = stack.NewSocketHandle(SockDgram, 0);
    EXPECT_EQ(stack.SockBind(foreign, AfInet, "192.0.2.1", 0), -1);
    EXPECT_EQ(stack.SockLastError(), WsaError::AddressNotAvailable);
    stack.SockClose(foreign);
}
