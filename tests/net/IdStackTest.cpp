// The stack's services that need no socket: address texts, host texts,
// result checking, error messages and the stack's lifetime.

#include "framework/Exception.h"
#include "net/IdException.h"
#include "net/IdStackWinsock.h"
#include "net/TakeField.h"

#include <gtest/gtest.h>

namespace {
// Counts what the services ask of the platform.
class WatchedStack : public TIdStackWinsock {
public:
    int32_t SockLastError() override
    {
        ++LastErrorReads;
        return TIdStackWinsock::SockLastError();
    }
    QByteArray SockResolveName(const QByteArray &host) override
    {
        Lookups.append(host);
        return "10.9.8.7";
    }
    int LastErrorReads = 0;
    QByteArrayList Lookups;
};

template <typename E, typename F>
QByteArray MessageOf(F &&call)
{
    try {
        call();
    } catch (const E &e) {
        return e.Message();
    }
    ADD_FAILURE() << "nothing raised";
    return {};
}
} // namespace

TEST(TakeField, SplitsAtTheFirstDelimiterAndCutsOnRequest)
{
    QByteArrayView text = "a.b.c";
    EXPECT_EQ(TakeField(text, ".", false), "a");
    EXPECT_EQ(text, "a.b.c");
    EXPECT_EQ(TakeField(text, ".", true), "a");
    EXPECT_EQ(text, "b.c");

    QByteArrayView pair = "key::=value::=x";
    EXPECT_EQ(TakeField(pair, "::=", true), "key");
    EXPECT_EQ(pair, "value::=x");

    // No occurrence: the whole input, which a cut empties.
    QByteArrayView rest = "tail";
    EXPECT_EQ(TakeField(rest, ".", false), "tail");
    EXPECT_EQ(rest, "tail");
    EXPECT_EQ(TakeField(rest, ".", true), "tail");
    EXPECT_TRUE(rest.isEmpty());
    QByteArrayView any = "x.y";
    EXPECT_EQ(TakeField(any, "", true), "x.y");
    EXPECT_TRUE(any.isEmpty());

    QByteArrayView leading = ".z.";
    EXPECT_EQ(TakeField(leading, ".", true), "");
    EXPECT_EQ(TakeField(leading, ".", true), "z");
    EXPECT_TRUE(leading.isEmpty());
}

TEST(AddressText, RecognisesFourOctetsAsTheIntegerConversionReadsThem)
{
    for (const char *text : {"10.0.0.1", "010.000.000.001", "$0A.0.0.1", " 10.0.0.1", "192.168.001.010",
                             "0.0.0.0", "255.255.255.255", "+1.0x10.X1.0", "1. 2.3.4"})
        EXPECT_TRUE(TIdStack::IsAddressText(text)) << text;
    for (const char *text : {"10.0.0", "10.0.0.1.5", "10..0.1", "256.0.0.1", "-1.0.0.1", "10.0.0.1 ",
                             "gateway", "", "1.2.3.", ".1.2.3", "4294967297.0.0.1", "1.2.3.-0x1", " . . . "})
        EXPECT_FALSE(TIdStack::IsAddressText(text)) << text;
    EXPECT_TRUE(TIdStack::IsOctetText("255"));
    EXPECT_FALSE(TIdStack::IsOctetText("-1"));
    EXPECT_FALSE(TIdStack::IsOctetText("2147483648"));
}

TEST(AddressText, ConvertsToBytesAndBackInCanonicalForm)
{
    TIdStackWinsock stack;
    EXPECT_EQ(stack.AddressFromText("192.168.001.010"), (TIdInAddr{192, 168, 1, 10}));
    EXPECT_EQ(stack.AddressToText(stack.AddressFromText("192.168.001.010")), "192.168.1.10");
    EXPECT_EQ(stack.AddressToText({0, 0, 0, 0}), "0.0.0.0");
    EXPECT_EQ(stack.AddressToText({255, 9, 100, 1}), "255.9.100.1");
    // Values are not range-checked here: only the low 8 bits are kept.
    EXPECT_EQ(stack.AddressFromText("300.1.1.1"), (TIdInAddr{44, 1, 1, 1}));
    EXPECT_EQ(stack.AddressFromText("-1.$10.1.2"), (TIdInAddr{255, 16, 1, 2}));
    // Text after a fourth dot is ignored.
    EXPECT_EQ(stack.AddressFromText("1.2.3.4.5"), (TIdInAddr{1, 2, 3, 4}));

    EXPECT_EQ(MessageOf<EConvertError>([&] { stack.AddressFromText("1.2.3"); }),
              "'' is not a valid integer value");
    EXPECT_EQ(MessageOf<EConvertError>([&] { stack.AddressFromText("1.x.3.4"); }),
              "'x' is not a valid integer value");
    EXPECT_EQ(MessageOf<EConvertError>([&] { stack.AddressFromText("gateway"); }),
              "'gateway' is not a valid integer value");
}

TEST(HostToAddressText, LooksUpOnlyWhatIsNeitherLocalhostNorAnAddress)
{
    // NeedsLookup tells beforehand which texts are looked up.
    WatchedStack stack;
    for (const char *host : {"LOCALHOST", "localhost", "LocalHost"}) {
        EXPECT_EQ(stack.HostToAddressText(host), "127.0.0.1") << host;
        EXPECT_FALSE(TIdStack::NeedsLookup(host)) << host;
    }
    EXPECT_EQ(stack.HostToAddressText("127.0.0.1"), "127.0.0.1");
    // No normalisation: the text is passed on as typed.
    EXPECT_EQ(stack.HostToAddressText("192.168.001.010"), "192.168.001.010");
    EXPECT_FALSE(TIdStack::NeedsLookup("192.168.001.010"));
    EXPECT_TRUE(stack.Lookups.isEmpty());

    for (const char *host : {"1.2.3", "1.2.3.4.5", "1..3.4", "300.1.1.1", "-1.2.3.4", "", "localhost.", "kv-ip"}) {
        EXPECT_EQ(stack.HostToAddressText(host), "10.9.8.7") << host;
        EXPECT_TRUE(TIdStack::NeedsLookup(host)) << host;
    }
    EXPECT_EQ(stack.Lookups, (QByteArrayList{"1.2.3", "1.2.3.4.5", "1..3.4", "300.1.1.1", "-1.2.3.4", "",
                                             "localhost.", "kv-ip"}));
}

TEST(HostToAddressText, NameLookupGivesTheFirstAddressOrRaises)
{
    TIdStackWinsock stack;
    EXPECT_EQ(stack.SockResolveName("localhost"), "127.0.0.1");
    const QByteArray own = stack.HostToAddressText(stack.SockLocalHostName());
    EXPECT_TRUE(TIdStack::IsAddressText(own)) << own.constData();
    EXPECT_EQ(stack.AddressToText(stack.AddressFromText(own)), own);

    try {
        stack.HostToAddressText("no-such-host.invalid");
        ADD_FAILURE() << "an unknown host resolved";
    } catch (const EIdSocketError &e) {
        EXPECT_GE(e.SocketErrorCode(), Sockets::WsaError::HostNotFound);
        EXPECT_LE(e.SocketErrorCode(), Sockets::WsaError::NoData);
        // Look-up codes have no text: the message ends with the line break.
        EXPECT_EQ(e.Message(), "Socket Error # " + QByteArray::number(e.SocketErrorCode()) + "\r\n");
    }
    // A name with a NUL in it is not cut short at the NUL.
    EXPECT_THROW(stack.SockResolveName(QByteArray("localhost\0evil", 14)), EIdSocketError);
}

TEST(CheckSocketResult, ReadsTheErrorOnlyForMinusOneAndHonoursToleratedCodes)
{
    WatchedStack stack;
    Sockets::SetLastError(Sockets::WsaError::AddressNotAvailable);
    EXPECT_FALSE(stack.CheckSocketResult(0));
    EXPECT_FALSE(stack.CheckSocketResult(8192, {}));
    EXPECT_FALSE(stack.CheckSocketResult(5, {Sockets::WsaError::AddressInUse}));
    EXPECT_EQ(stack.LastErrorReads, 0);

    Sockets::SetLastError(Sockets::WsaError::AddressInUse);
    EXPECT_TRUE(stack.CheckSocketResult(-1, {Sockets::WsaError::AddressInUse}));
    EXPECT_TRUE(stack.CheckSocketResult(-1, {Sockets::WsaError::MessageSize, Sockets::WsaError::AddressInUse}));
    EXPECT_EQ(stack.LastErrorReads, 2);

    Sockets::SetLastError(Sockets::WsaError::AddressNotAvailable);
    try {
        stack.CheckSocketResult(-1, {Sockets::WsaError::AddressInUse});
        ADD_FAILURE() << "an untolerated code did not raise";
    } catch (const EIdSocketError &e) {
        EXPECT_EQ(e.SocketErrorCode(), 10049);
        EXPECT_EQ(e.Message(), "Socket Error # 10049\r\nCannot assign requested address.");
    }
    Sockets::SetLastError(Sockets::WsaError::AddressInUse);
    EXPECT_THROW(stack.CheckSocketResult(-1), EIdSocketError);
}

TEST(SocketErrorMessage, FormatsTheCodeAndItsText)
{
    TIdStackWinsock stack;
    auto messageFor = [&](int32_t code) {
        return MessageOf<EIdSocketError>([&] { stack.RaiseSocketFailure(code); });
    };
    EXPECT_EQ(messageFor(10054), "Socket Error # 10054\r\nConnection reset by peer.");
    EXPECT_EQ(messageFor(10040), "Socket Error # 10040\r\nMessage too long.");
    EXPECT_EQ(messageFor(10035), "Socket Error # 10035\r\nOperation would block. ");
    EXPECT_EQ(messageFor(10066), "Socket Error # 10066\r\nDirectory not empty");
    EXPECT_EQ(messageFor(10004), "Socket Error # 10004\r\nInterrupted system call.");
    EXPECT_EQ(messageFor(12345), "Socket Error # 12345\r\n");
    EXPECT_EQ(messageFor(-7), "Socket Error # -7\r\n");
    EXPECT_EQ(messageFor(0), "Socket Error # 0\r\n");
    // Codes between the table's entries have no text either.
    EXPECT_EQ(stack.ErrorMessageFor(10067), "");
    EXPECT_EQ(stack.ErrorMessageFor(10003), "");
}

TEST(IdExceptions, CarryTheirTextsAndSitInTheirTree)
{
    auto message = [](const EIdException &e) { return e.Message(); };
    EXPECT_EQ(message(EIdStackInitializationFailed()), "Winsock Initialization Error.");
    EXPECT_EQ(message(EIdStackSetSizeExceeded()), "Set Size Exceeded.");
    EXPECT_EQ(message(EIdStackCanNotLoadWinsock("wsock32.dll")), "wsock32.dll could not be loaded.");
    EXPECT_EQ(message(EIdInvalidSocket()), "Cannot allocate socket.");
    EXPECT_EQ(message(EIdInvalidServiceName("%d50")), "%d50 is not a valid service.");
    EXPECT_EQ(message(EIdPackageSizeTooBig()), "Package Size Too Big.");
    EXPECT_EQ(message(EIdNotAllBytesSent()), "Not all bytes sent.");
    EXPECT_EQ(message(EIdCouldNotBindSocket()), "Could not bind socket. Address and port are already in use.");
    EXPECT_EQ(message(EIdUDPReceiveErrorZeroBytes()), "UDP Receive Error = 0.");
    EXPECT_EQ(message(EIdNoBindingsSpecified()), "No bindings specified.");

    EXPECT_THROW(throw EIdStackSetSizeExceeded(), EIdStackError);
    EXPECT_THROW(throw EIdCouldNotBindSocket(), EIdSocketHandleError);
    EXPECT_THROW(throw EIdNoBindingsSpecified(), EIdUDPServerException);
    EXPECT_THROW(throw EIdUDPReceiveErrorZeroBytes(), EIdUDPException);
    EXPECT_THROW(throw EIdSocketError(1, "x"), EIdException);
    EXPECT_THROW(throw EIdInvalidSocket(), Exception);
}

TEST(GlobalStackLifetime, LivesFromTheFirstUserToTheLastAndStartsAgain)
{
    ASSERT_FALSE(GlobalStack);
    ASSERT_EQ(StackUserCount, 0);
    AcquireGlobalStack();
    TIdStack *first = GlobalStack.get();
    ASSERT_NE(first, nullptr);
    AcquireGlobalStack();
    EXPECT_EQ(GlobalStack.get(), first);
    EXPECT_EQ(StackUserCount, 2);
    ReleaseGlobalStack();
    EXPECT_EQ(GlobalStack.get(), first);
    ReleaseGlobalStack();
    EXPECT_FALSE(GlobalStack);
    EXPECT_EQ(StackUserCount, 0);

    AcquireGlobalStack();
    ASSERT_TRUE(GlobalStack);
    const TIdStackSocketHandle s = GlobalStack->NewSocketHandle(Sockets::SockDgram, 0);
    EXPECT_GE(s, 0);
    EXPECT_EQ(GlobalStack->SockClose(s), 0);
    ReleaseGlobalStack();
    EXPECT_FALSE(GlobalStack);
}
