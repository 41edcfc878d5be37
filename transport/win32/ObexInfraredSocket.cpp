#include "transport/win32/ObexInfraredSocket.h"

#include <cstdio>
#include <cstring>

#include "transport/TransportException.h"

namespace {

static_assert(sizeof(SOCKADDR_IRDA) == 32, "IrDA address record");
static_assert(sizeof(IAS_QUERY) == 1356, "IAS query record");

constexpr int kDeviceListBytes = 256;
const char kObexClass[] = "OBEX";
const char kTinyTpAttribute[] = "IrDA:TinyTP";
const char kLsapSelAttribute[] = "IrDA:TinyTP:LsapSel";

// A device list as the platform fills it: a count and as many entries as fit in 256 bytes.
struct DeviceListBuffer {
    union {
        DEVICELIST list;
        char bytes[kDeviceListBytes];
    };
    DeviceListBuffer() { std::memset(bytes, 0, sizeof bytes); }
    bool HasDevice() const { return list.numDevice != 0; }
    // The first device's name; the platform's 22-byte field need not be terminated.
    void FirstName(char (&name)[sizeof(list.Device[0].irdaDeviceName) + 1]) const
    {
        std::memcpy(name, list.Device[0].irdaDeviceName, sizeof(list.Device[0].irdaDeviceName));
        name[sizeof(list.Device[0].irdaDeviceName)] = '\0';
    }
};

void EnumerateDevices(WinSockApi& api, SOCKET s, DeviceListBuffer& devices)
{
    std::memset(devices.bytes, 0, sizeof devices.bytes);
    int length = kDeviceListBytes;
    // A failed enumeration leaves the list empty, which every caller treats as "nobody there".
    api.GetSockOpt(s, SOL_IRLMP, IRLMP_ENUMDEVICES, devices.bytes, &length);
}

}  // namespace

IrdaLink::IrdaLink(WinSockApi& api) : api_(api)
{
    WSADATA data;
    std::memset(&data, 0, sizeof data);
    if (api_.Startup(MAKEWORD(1, 1), &data) != 0) {
        throw TransportException(TRANSPORT_ERR_OPEN, "ObexInfraredSocket:WinSockの初期化に失敗しました。");
    }
    if (data.wVersion != MAKEWORD(1, 1)) {
        api_.Cleanup();
        throw TransportException(TRANSPORT_ERR_OPEN,
                                 "ObexInfraredSocket:WinSockのバージョンが1.1未対応です。");
    }
}

IrdaLink::~IrdaLink()
{
    api_.Cleanup();
}

void IrdaLink::ThrowOpenFailed()
{
    throw TransportException(TRANSPORT_ERR_OPEN, "IrOpen:ソケットのオープンに失敗しました。");
}

SOCKET IrdaLink::IrOpen()
{
    SOCKET s = api_.Socket(AF_IRDA, SOCK_STREAM, 0);
    if (s == INVALID_SOCKET) ThrowOpenFailed();
    return s;
}

int32_t IrdaLink::IrReceive(SOCKET s, uint8_t* buffer, int32_t offset, int32_t count)
{
    int32_t total = 0;
    while (total < count) {
        int got = api_.Recv(s, reinterpret_cast<char*>(buffer + offset + total), count - total, 0);
        // 0 is the peer closing the link: the bytes asked for will never come.
        if (got == SOCKET_ERROR || got <= 0) {
            throw TransportException(TRANSPORT_ERR_IO, "IrReceive:データの受信に失敗しました(1)。");
        }
        total += got;
    }
    return total;
}

int32_t IrdaLink::IrSend(SOCKET s, const uint8_t* buffer, int32_t offset, int32_t count)
{
    if (count <= 0) return 0;
    int sent = api_.Send(s, reinterpret_cast<const char*>(buffer + offset), count, 0);
    if (sent == SOCKET_ERROR || sent < 0) {
        throw TransportException(TRANSPORT_ERR_IO, "IrSend:データの送信に失敗しました。");
    }
    return sent;
}

void IrdaLink::CloseSlot(std::atomic<SOCKET>& slot)
{
    SOCKET s = slot.exchange(INVALID_SOCKET);
    if (s != INVALID_SOCKET) api_.CloseSocket(s);
}

// ---------------------------------------------------------------------------------------------

ObexInfraredServerSocket::ObexInfraredServerSocket(WinSockApi& api) : link_(api) {}

ObexInfraredServerSocket::~ObexInfraredServerSocket()
{
    link_.CloseSlot(connection_);
    link_.CloseSlot(listening_);
}

void ObexInfraredServerSocket::Open()
{
    // A closed transport stays closed: a cancel that came before the transfer opened it holds.
    if (closed_) link_.ThrowOpenFailed();
    SOCKET s = link_.IrOpen();
    // A second Open must not lose the socket of the first.
    SOCKET old = listening_.exchange(s);
    if (old != INVALID_SOCKET) link_.api_.CloseSocket(old);
    // A Close that ran after the check above found no socket to close: nobody else would.
    if (closed_) {
        link_.CloseSlot(listening_);
        link_.ThrowOpenFailed();
    }
}

void ObexInfraredServerSocket::Close()
{
    closed_ = true;
    link_.CloseSlot(connection_);
    link_.CloseSlot(listening_);
}

void ObexInfraredServerSocket::Accept()
{
    SOCKET listening = listening_.load();

    IAS_SET ias;
    std::memset(&ias, 0, sizeof ias);
    std::strcpy(ias.irdaClassName, kObexClass);
    std::strcpy(ias.irdaAttribName, kTinyTpAttribute);
    ias.irdaAttribType = IAS_ATTRIB_STR;
    ias.irdaAttribute.irdaAttribUsrStr.Len = sizeof kTinyTpAttribute;  // 12, with its NUL
    ias.irdaAttribute.irdaAttribUsrStr.CharSet = LmCharSetASCII;
    std::memcpy(ias.irdaAttribute.irdaAttribUsrStr.UsrStr, kTinyTpAttribute,
                sizeof kTinyTpAttribute);
    if (link_.api_.SetSockOpt(listening, SOL_IRLMP, IRLMP_IAS_SET, reinterpret_cast<const char*>(&ias),
                        sizeof ias) == SOCKET_ERROR) {
        throw TransportException(TRANSPORT_ERR_CONNECT, "Accept:接続相手の検索中にエラーが発生しました。");
    }

    SOCKADDR_IRDA address;
    std::memset(&address, 0, sizeof address);
    address.irdaAddressFamily = AF_IRDA;
    std::strcpy(address.irdaServiceName, kObexClass);
    if (link_.api_.Bind(listening, reinterpret_cast<const sockaddr*>(&address), sizeof address) ==
        SOCKET_ERROR) {
        throw TransportException(TRANSPORT_ERR_CONNECT, "Accept:接続相手の決定中にエラーが発生しました(1)。");
    }
    if (link_.api_.Listen(listening, 2) == SOCKET_ERROR) {
        throw TransportException(TRANSPORT_ERR_CONNECT, "Accept:接続相手の決定中にエラーが発生しました(2)。");
    }

    SOCKET connection = link_.api_.Accept(listening, nullptr, nullptr);
    if (connection == INVALID_SOCKET) {
        throw TransportException(TRANSPORT_ERR_CONNECT, "Accept:接続受け付け中にエラーが発生しました(2)。");
    }
    // A Close that ran while accept was returning must not leave a live link behind it.
    if (listening_.load() != listening) {
        link_.api_.CloseSocket(connection);
        throw TransportException(TRANSPORT_ERR_CONNECT, "Accept:接続受け付け中にエラーが発生しました(2)。");
    }
    SOCKET old = connection_.exchange(connection);
    if (old != INVALID_SOCKET) link_.api_.CloseSocket(old);
    if (closed_) {
        link_.CloseSlot(connection_);
        throw TransportException(TRANSPORT_ERR_CONNECT, "Accept:接続受け付け中にエラーが発生しました(2)。");
    }

    DeviceListBuffer devices;
    EnumerateDevices(link_.api_, connection, devices);
    if (devices.HasDevice()) {
        char name[sizeof(devices.list.Device[0].irdaDeviceName) + 1];
        devices.FirstName(name);
        SetText(name);
    }
}

int32_t ObexInfraredServerSocket::Receive(uint8_t* buffer, int32_t offset, int32_t count)
{
    return link_.IrReceive(connection_.load(), buffer, offset, count);
}

int32_t ObexInfraredServerSocket::Send(const uint8_t* buffer, int32_t offset, int32_t count)
{
    return link_.IrSend(connection_.load(), buffer, offset, count);
}

// ---------------------------------------------------------------------------------------------

ObexInfraredClientSocket::ObexInfraredClientSocket(WinSockApi& api)
    : link_(api), wake_(CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
}

ObexInfraredClientSocket::~ObexInfraredClientSocket()
{
    link_.CloseSlot(socket_);
    if (wake_) CloseHandle(wake_);
}

void ObexInfraredClientSocket::ThrowClosed()
{
    throw TransportException(TRANSPORT_ERR_CONNECT, "Connect:接続中にクローズされました。");
}

void ObexInfraredClientSocket::Open()
{
    if (closed_) link_.ThrowOpenFailed();
    SOCKET s = link_.IrOpen();
    SOCKET old = socket_.exchange(s);
    if (old != INVALID_SOCKET) link_.api_.CloseSocket(old);
    // A Close that ran after the check above found no socket to close: nobody else would.
    if (closed_) {
        link_.CloseSlot(socket_);
        link_.ThrowOpenFailed();
    }
}

void ObexInfraredClientSocket::Close()
{
    closed_ = true;
    if (wake_) SetEvent(wake_);
    link_.CloseSlot(socket_);
}

void ObexInfraredClientSocket::Connect()
{
    SOCKADDR_IRDA address;
    std::memset(&address, 0, sizeof address);
    address.irdaAddressFamily = AF_IRDA;

    // Searches and connection attempts share one budget.
    int attempts = 0;
    DeviceListBuffer devices;
    for (;;) {
        EnumerateDevices(link_.api_, socket_.load(), devices);
        ++attempts;
        if (devices.HasDevice()) break;
        if (closed_) ThrowClosed();
        link_.api_.Pause(wake_, IrdaLink::kRetryPauseMs);
        if (closed_) ThrowClosed();  // a Close during the pause cut it short
        if (attempts >= IrdaLink::kConnectAttempts) {
            throw TransportException(TRANSPORT_ERR_NO_DEVICE,
                                     "Connect:接続対象の機器が見つかりませんでした。");
        }
    }
    const IRDA_DEVICE_INFO& device = devices.list.Device[0];

    IAS_QUERY query;
    std::memset(&query, 0, sizeof query);
    std::memcpy(query.irdaDeviceID, device.irdaDeviceID, sizeof query.irdaDeviceID);
    std::strcpy(query.irdaClassName, kObexClass);
    std::strcpy(query.irdaAttribName, kLsapSelAttribute);
    int length = sizeof query;
    if (link_.api_.GetSockOpt(socket_.load(), SOL_IRLMP, IRLMP_IAS_QUERY,
                        reinterpret_cast<char*>(&query), &length) == SOCKET_ERROR) {
        throw TransportException(TRANSPORT_ERR_CONNECT,
                                 "Connect:接続対象機器の情報取得中にエラーが発生しました。");
    }
    std::memcpy(address.irdaDeviceID, device.irdaDeviceID, sizeof address.irdaDeviceID);
    std::snprintf(address.irdaServiceName, sizeof address.irdaServiceName, "LSAP-SEL%d",
                  (int)query.irdaAttribute.irdaAttribInt);

    for (;;) {
        if (closed_) ThrowClosed();
        if (attempts >= IrdaLink::kConnectAttempts) {
            throw TransportException(TRANSPORT_ERR_CONNECT, "Connect:接続対象機器と接続に失敗しました。");
        }
        ++attempts;
        if (link_.api_.Connect(socket_.load(), reinterpret_cast<const sockaddr*>(&address),
                         sizeof address) != SOCKET_ERROR) {
            break;
        }
        if (attempts < IrdaLink::kConnectAttempts) link_.api_.Pause(wake_, IrdaLink::kRetryPauseMs);
    }

    char name[sizeof device.irdaDeviceName + 1];
    devices.FirstName(name);
    SetText(name);
}

int32_t ObexInfraredClientSocket::Receive(uint8_t* buffer, int32_t offset, int32_t count)
{
    return link_.IrReceive(socket_.load(), buffer, offset, count);
}

int32_t ObexInfraredClientSocket::Send(const uint8_t* buffer, int32_t offset, int32_t count)
{
    return link_.IrSend(socket_.load(), buffer, offset, count);
}
