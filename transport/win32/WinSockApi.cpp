#include "transport/win32/WinSockApi.h"

namespace {

class SystemApi final : public WinSockApi {
public:
    int Startup(WORD version, WSADATA* data) override { return WSAStartup(version, data); }
    int Cleanup() override { return WSACleanup(); }
    SOCKET Socket(int family, int type, int protocol) override
    {
        return socket(family, type, protocol);
    }
    int SetSockOpt(SOCKET s, int level, int name, const char* value, int length) override
    {
        return setsockopt(s, level, name, value, length);
    }
    int GetSockOpt(SOCKET s, int level, int name, char* value, int* length) override
    {
        return getsockopt(s, level, name, value, length);
    }
    int Bind(SOCKET s, const sockaddr* address, int length) override
    {
        return bind(s, address, length);
    }
    int Listen(SOCKET s, int backlog) override { return listen(s, backlog); }
    SOCKET Accept(SOCKET s, sockaddr* address, int* length) override
    {
        return accept(s, address, length);
    }
    int Connect(SOCKET s, const sockaddr* address, int length) override
    {
        return connect(s, address, length);
    }
    int Recv(SOCKET s, char* buffer, int length, int flags) override
    {
        return recv(s, buffer, length, flags);
    }
    int Send(SOCKET s, const char* buffer, int length, int flags) override
    {
        return send(s, buffer, length, flags);
    }
    int CloseSocket(SOCKET s) override { return closesocket(s); }
    void Pause(HANDLE wake, DWORD milliseconds) override
    {
        if (!wake || WaitForSingleObject(wake, milliseconds) == WAIT_FAILED) ::Sleep(milliseconds);
    }
};

}  // namespace

WinSockApi& SystemWinSockApi()
{
    static SystemApi api;
    return api;
}
