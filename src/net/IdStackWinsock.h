#pragma once

#include "net/IdStack.h"

// The stack on the platform's socket calls (platform/sockets).
class TIdStackWinsock : public TIdStack {
public:
    // Starts the socket library; raises EIdStackInitializationFailed.
    TIdStackWinsock();
    ~TIdStackWinsock() override;

    void FillLocalAddressList() override;
    QByteArray FirstLocalAddress() override;
    const QByteArrayList &LocalAddressList() override;
    TIdStackSocketHandle SockAccept(TIdStackSocketHandle s, QByteArray &ip, int &port) override;
    int SockBind(TIdStackSocketHandle s, int family, const QByteArray &ip, int port) override;
    int SockClose(TIdStackSocketHandle s) override;
    int SockConnect(TIdStackSocketHandle s, int family, const QByteArray &ip, int port) override;
    QByteArray SockResolveName(const QByteArray &host) override;
    QByteArray SockLocalHostName() override;
    QByteArray SockResolveAddress(const QByteArray &ip) override;
    int SockServicePort(const QByteArray &service) override;
    QByteArrayList SockServiceNames(int port) override;
    uint16_t SockHostToNet16(uint16_t value) override;
    int SockListen(TIdStackSocketHandle s, int backlog) override;
    uint16_t SockNetToHost16(uint16_t value) override;
    uint32_t SockHostToNet32(uint32_t value) override;
    uint32_t SockNetToHost32(uint32_t value) override;
    int SockRecv(TIdStackSocketHandle s, void *buffer, int length, int flags) override;
    int SockRecvFrom(TIdStackSocketHandle s, void *buffer, int length, int flags, QByteArray &ip,
                     int &port) override;
    int SockSelect(TIdSocketList *readList, TIdSocketList *writeList, TIdSocketList *exceptList,
                   int timeoutMs) override;
    int SockSend(TIdStackSocketHandle s, const void *buffer, int length, int flags) override;
    int SockSendTo(TIdStackSocketHandle s, const void *buffer, int length, int flags,
                   const QByteArray &ip, int port) override;
    int SockSetOption(TIdStackSocketHandle s, int level, int name, const void *value,
                      int length) override;
    TIdStackSocketHandle SockOpen(int family, int type, int protocol) override;
    int SockShutdown(TIdStackSocketHandle s, int how) override;
    int32_t SockLastError() override;
    void SockPeerAddress(TIdStackSocketHandle s, int &family, QByteArray &ip, int &port) override;
    void SockBoundAddress(TIdStackSocketHandle s, int &family, QByteArray &ip, int &port) override;
    QByteArray AddressToText(const TIdInAddr &address) override;
    void FillAddressFromText(const QByteArray &text, TIdInAddr &address) override;
};
