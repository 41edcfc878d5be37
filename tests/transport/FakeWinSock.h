// A scripted stand-in for the WinSock IrDA stack: devices come and go per search, reads and
// writes follow a plan, and blocking calls wait until their socket is closed.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "transport/win32/WinSockApi.h"

struct FakeDevice {
    uint8_t id[4];
    std::string name;  // up to 22 bytes; exactly 22 are stored unterminated
};

class FakeWinSock : public WinSockApi {
public:
    // Start-up
    int startupResult = 0;
    WORD grantedVersion = MAKEWORD(1, 1);
    WORD askedVersion = 0;
    int startups = 0;
    int cleanups = 0;

    // Sockets
    bool socketFails = false;
    int socketFamily = 0, socketType = 0, socketProtocol = -1;

    // Server side
    bool iasSetFails = false, bindFails = false, listenFails = false;
    IAS_SET iasSet{};
    int iasSetLength = 0;
    SOCKADDR_IRDA bound{};
    int boundLength = 0;
    int backlog = 0;
    bool acceptFails = false;
    bool acceptBlocks = false;  // waits until the listening socket is closed, then fails
    std::function<void()> duringAccept;
    std::vector<FakeDevice> devicesOnConnection;

    // Client side: devices seen by search number n (1-based); empty by default.
    std::function<std::vector<FakeDevice>(int)> devicesAtSearch = [](int) {
        return std::vector<FakeDevice>();
    };
    int searches = 0;
    bool iasQueryFails = false;
    LONG lsapSelector = 7;
    IAS_QUERY query{};
    int queryLength = 0;
    // Whether connection attempt n (1-based) succeeds.
    std::function<bool(int)> connectSucceeds = [](int) { return true; };
    int connects = 0;
    SOCKADDR_IRDA connectedTo{};
    int connectLength = 0;

    // Stream: recv takes chunk sizes from the plan (0 = orderly close, -1 = error); an empty
    // plan blocks until the socket is closed, then fails.
    std::deque<int> recvPlan;
    std::string incoming;
    size_t incomingPos = 0;
    std::vector<int> recvAsked;
    std::deque<int> sendPlan;  // bytes accepted per send (-1 = error); empty: all
    std::string sent;

    int sleeps = 0;
    std::function<void(int)> onSleep;
    int pausesCutShort = 0;  // pauses whose wake event was set when they would have waited

    std::vector<SOCKET> closedSockets;

    bool IsOpen(SOCKET s)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return open_.count(s) != 0;
    }
    size_t OpenCount()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return open_.size();
    }
    // Blocks the caller until some blocking call has started (for tests that close meanwhile).
    void WaitUntilBlocked()
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return blocked_ > 0; });
    }

    int Startup(WORD version, WSADATA* data) override
    {
        ++startups;
        askedVersion = version;
        data->wVersion = grantedVersion;
        return startupResult;
    }
    int Cleanup() override
    {
        ++cleanups;
        return 0;
    }
    SOCKET Socket(int family, int type, int protocol) override
    {
        socketFamily = family;
        socketType = type;
        socketProtocol = protocol;
        if (socketFails) return INVALID_SOCKET;
        return NewSocket();
    }
    int SetSockOpt(SOCKET s, int level, int name, const char* value, int length) override
    {
        if (!IsOpen(s) || level != SOL_IRLMP || name != IRLMP_IAS_SET) return SOCKET_ERROR;
        std::memcpy(&iasSet, value, sizeof iasSet);
        iasSetLength = length;
        return iasSetFails ? SOCKET_ERROR : 0;
    }
    int GetSockOpt(SOCKET s, int level, int name, char* value, int* length) override
    {
        if (level != SOL_IRLMP) return SOCKET_ERROR;
        if (name == IRLMP_ENUMDEVICES) {
            std::vector<FakeDevice> devices;
            if (connection_ != INVALID_SOCKET && s == connection_) {
                devices = devicesOnConnection;
            } else {
                devices = devicesAtSearch(++searches);
            }
            if (!IsOpen(s)) return SOCKET_ERROR;
            FillDeviceList(devices, value, *length);
            return 0;
        }
        if (name == IRLMP_IAS_QUERY) {
            std::memcpy(&query, value, sizeof query);
            queryLength = *length;
            if (iasQueryFails || !IsOpen(s)) return SOCKET_ERROR;
            auto* q = reinterpret_cast<IAS_QUERY*>(value);
            q->irdaAttribType = IAS_ATTRIB_INT;
            q->irdaAttribute.irdaAttribInt = lsapSelector;
            return 0;
        }
        return SOCKET_ERROR;
    }
    int Bind(SOCKET s, const sockaddr* address, int length) override
    {
        std::memcpy(&bound, address, sizeof bound);
        boundLength = length;
        return bindFails || !IsOpen(s) ? SOCKET_ERROR : 0;
    }
    int Listen(SOCKET s, int n) override
    {
        backlog = n;
        return listenFails || !IsOpen(s) ? SOCKET_ERROR : 0;
    }
    SOCKET Accept(SOCKET s, sockaddr* address, int* length) override
    {
        if (address || length) return INVALID_SOCKET;  // no peer address is wanted
        if (acceptBlocks) {
            BlockUntilClosed(s);
            return INVALID_SOCKET;
        }
        if (acceptFails || !IsOpen(s)) return INVALID_SOCKET;
        connection_ = NewSocket();
        if (duringAccept) duringAccept();
        return connection_;
    }
    int Connect(SOCKET s, const sockaddr* address, int length) override
    {
        ++connects;
        std::memcpy(&connectedTo, address, sizeof connectedTo);
        connectLength = length;
        if (!IsOpen(s)) return SOCKET_ERROR;
        return connectSucceeds(connects) ? 0 : SOCKET_ERROR;
    }
    int Recv(SOCKET s, char* buffer, int length, int flags) override
    {
        recvAsked.push_back(length);
        if (flags != 0 || !IsOpen(s)) return SOCKET_ERROR;
        if (recvPlan.empty()) {
            BlockUntilClosed(s);
            return SOCKET_ERROR;
        }
        int n = recvPlan.front();
        recvPlan.pop_front();
        if (n <= 0) return n < 0 ? SOCKET_ERROR : 0;
        if (n > length) n = length;
        std::memcpy(buffer, incoming.data() + incomingPos, (size_t)n);
        incomingPos += (size_t)n;
        return n;
    }
    int Send(SOCKET s, const char* buffer, int length, int flags) override
    {
        if (flags != 0 || !IsOpen(s)) return SOCKET_ERROR;
        int n = length;
        if (!sendPlan.empty()) {
            n = sendPlan.front();
            sendPlan.pop_front();
        }
        if (n < 0) return SOCKET_ERROR;
        sent.append(buffer, (size_t)n);
        return n;
    }
    int CloseSocket(SOCKET s) override
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closedSockets.push_back(s);
        bool wasOpen = open_.erase(s) != 0;
        changed_.notify_all();
        return wasOpen ? 0 : SOCKET_ERROR;
    }
    void Pause(HANDLE wake, DWORD milliseconds) override
    {
        ++sleeps;
        EXPECT_EQ(milliseconds, 100u);
        if (onSleep) onSleep(sleeps);
        if (wake && WaitForSingleObject(wake, 0) == WAIT_OBJECT_0) ++pausesCutShort;
    }

private:
    SOCKET NewSocket()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        SOCKET s = next_++;
        open_.insert(s);
        return s;
    }
    void BlockUntilClosed(SOCKET s)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        ++blocked_;
        changed_.notify_all();
        changed_.wait(lock, [&] { return open_.count(s) == 0; });
    }
    static void FillDeviceList(const std::vector<FakeDevice>& devices, char* value, int length)
    {
        auto* list = reinterpret_cast<DEVICELIST*>(value);
        list->numDevice = (ULONG)devices.size();
        for (size_t i = 0; i < devices.size(); ++i) {
            size_t end = offsetof(DEVICELIST, Device) + (i + 1) * sizeof(IRDA_DEVICE_INFO);
            if (end > (size_t)length) break;
            IRDA_DEVICE_INFO& info = *reinterpret_cast<IRDA_DEVICE_INFO*>(
                value + offsetof(DEVICELIST, Device) + i * sizeof(IRDA_DEVICE_INFO));
            std::memcpy(info.irdaDeviceID, devices[i].id, 4);
            std::memset(info.irdaDeviceName, 0, sizeof info.irdaDeviceName);
            std::memcpy(info.irdaDeviceName, devices[i].name.data(),
                        std::min(devices[i].name.size(), sizeof info.irdaDeviceName));
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::set<SOCKET> open_;
    SOCKET next_ = 100;
    SOCKET connection_ = INVALID_SOCKET;
    int blocked_ = 0;
};
