// The WinSock operations the IrDA transports make. The transports call the platform only through
// this interface, so that tests can stand in for an IrDA stack that no test machine has.
#pragma once
#include <winsock2.h>
#include <af_irda.h>

class WinSockApi {
public:
    virtual ~WinSockApi() = default;
    virtual int Startup(WORD version, WSADATA* data) = 0;
    virtual int Cleanup() = 0;
    virtual SOCKET Socket(int family, int type, int protocol) = 0;
    virtual int SetSockOpt(SOCKET s, int level, int name, const char* value, int length) = 0;
    virtual int GetSockOpt(SOCKET s, int level, int name, char* value, int* length) = 0;
    virtual int Bind(SOCKET s, const sockaddr* address, int length) = 0;
    virtual int Listen(SOCKET s, int backlog) = 0;
    virtual SOCKET Accept(SOCKET s, sockaddr* address, int* length) = 0;
    virtual int Connect(SOCKET s, const sockaddr* address, int length) = 0;
    virtual int Recv(SOCKET s, char* buffer, int length, int flags) = 0;
    virtual int Send(SOCKET s, const char* buffer, int length, int flags) = 0;
    virtual int CloseSocket(SOCKET s) = 0;
    // The pause between connection attempts: `milliseconds`, or less once `wake` is set.
    virtual void Pause(HANDLE wake, DWORD milliseconds) = 0;
};

// The platform's own WinSock (ws2_32) and a wait on the event.
WinSockApi& SystemWinSockApi();
