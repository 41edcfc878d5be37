// OBEX over IrDA TinyTP through WinSock 1.1 IrDA sockets: the listening side (receive from a
// phone) and the connecting side (send to a phone). The peer device's name is kept in the
// OwnedString base once a link is up.
#pragma once
#include <atomic>

#include "transport/ObexSocket.h"
#include "transport/win32/OwnedString.h"
#include "transport/win32/WinSockApi.h"

// What both IrDA roles share: WinSock start-up (balanced by a clean-up when the object goes)
// and the blocking stream calls. A member of each transport, not a base.
class IrdaLink {
public:
    static constexpr int32_t kMaxPacketSize = 2048;
    // Device searches plus connection attempts one Connect may make, and the pause after each.
    static constexpr int kConnectAttempts = 100;
    static constexpr DWORD kRetryPauseMs = 100;

    // Starts WinSock 1.1; throws code 4.
    explicit IrdaLink(WinSockApi& api);
    ~IrdaLink();
    IrdaLink(const IrdaLink&) = delete;
    IrdaLink& operator=(const IrdaLink&) = delete;

    SOCKET IrOpen();
    [[noreturn]] static void ThrowOpenFailed();
    int32_t IrReceive(SOCKET s, uint8_t* buffer, int32_t offset, int32_t count);
    int32_t IrSend(SOCKET s, const uint8_t* buffer, int32_t offset, int32_t count);
    // Closes the socket held in `slot` once, whichever thread gets there first.
    void CloseSlot(std::atomic<SOCKET>& slot);

    WinSockApi& api_;
};

class ObexInfraredServerSocket : public ObexServerSocket, public OwnedString {
public:
    explicit ObexInfraredServerSocket(WinSockApi& api = SystemWinSockApi());
    ~ObexInfraredServerSocket() override;

    int32_t GetMaxPacketSize() override { return IrdaLink::kMaxPacketSize; }
    void Open() override;
    void Close() override;
    int32_t Receive(uint8_t* buffer, int32_t offset, int32_t count) override;
    int32_t Send(const uint8_t* buffer, int32_t offset, int32_t count) override;
    void Accept() override;

private:
    IrdaLink link_;
    std::atomic<SOCKET> listening_{INVALID_SOCKET};
    std::atomic<SOCKET> connection_{INVALID_SOCKET};
    std::atomic<bool> closed_{false};
};

class ObexInfraredClientSocket : public ObexClientSocket, public OwnedString {
public:
    explicit ObexInfraredClientSocket(WinSockApi& api = SystemWinSockApi());
    ~ObexInfraredClientSocket() override;
    ObexInfraredClientSocket(const ObexInfraredClientSocket&) = delete;
    ObexInfraredClientSocket& operator=(const ObexInfraredClientSocket&) = delete;

    int32_t GetMaxPacketSize() override { return IrdaLink::kMaxPacketSize; }
    void Open() override;
    void Close() override;
    int32_t Receive(uint8_t* buffer, int32_t offset, int32_t count) override;
    int32_t Send(const uint8_t* buffer, int32_t offset, int32_t count) override;
    void Connect() override;

private:
    [[noreturn]] static void ThrowClosed();

    IrdaLink link_;
    std::atomic<SOCKET> socket_{INVALID_SOCKET};
    std::atomic<bool> closed_{false};
    // Set by Close so that a pause between attempts ends at once (manual reset, never cleared:
    // a closed transport stays closed).
    HANDLE wake_ = nullptr;
};
