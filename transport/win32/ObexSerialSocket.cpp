#include "transport/win32/ObexSerialSocket.h"

#include <cstdio>
#include <cstring>

#include "transport/TransportException.h"

namespace {

const char kReceiveFailed[] = "ObexSerialSocket::Receive:データの受信に失敗しました。";
const char kSendFailed[] = "ObexSerialSocket::Send:データの送信に失敗しました。";

// Errors after which the port will never carry another byte: the handle is gone (closed to
// cancel) or the device went away under it (a USB cable pulled out, the far end of a virtual
// line closed). Reporting these as "no data" would keep the engine calling again for ever, each
// call failing at once.
bool IsPortGone(DWORD error)
{
    switch (error) {
    case ERROR_INVALID_HANDLE:
    case ERROR_OPERATION_ABORTED:
    case ERROR_ACCESS_DENIED:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_BAD_COMMAND:
    case ERROR_GEN_FAILURE:
    case ERROR_NOT_READY:     // Wine: writing to a pseudo-terminal whose far end is gone
    case ERROR_BROKEN_PIPE:   // Wine: reading from it
        return true;
    default:
        return false;
    }
}

}  // namespace

ObexSerialSocket::ObexSerialSocket(const char* portName)
{
    if (portName) {
        size_t size = std::strlen(portName) + 5;
        path_ = new char[size];
        std::snprintf(path_, size, "\\\\.\\%s", portName);
    }
}

ObexSerialSocket::~ObexSerialSocket()
{
    Close();
    delete[] path_;
}

void ObexSerialSocket::Open()
{
    if (!path_) return;
    ScopedLock lock(handleLock_);
    // A closed port stays closed: a cancel that came before the transfer opened it must hold.
    if (closed_) throw TransportException(TRANSPORT_ERR_OPEN, "Open:ポートのオープンに失敗しました。");
    // Opening again must not lose the handle of the first Open.
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    ReleasePort();
    handle_ = INVALID_HANDLE_VALUE;
    if (ClaimPort()) {
        handle_ = CreateFileA(path_, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr);
        if (handle_ == INVALID_HANDLE_VALUE) ReleasePort();
    }
    if (handle_ == INVALID_HANDLE_VALUE) {
        throw TransportException(TRANSPORT_ERR_OPEN, "Open:ポートのオープンに失敗しました。");
    }
}

void ObexSerialSocket::Close()
{
    if (!path_) return;
    ScopedLock lock(handleLock_);
    if (closed_) return;
    closed_ = true;
    if (handle_ != INVALID_HANDLE_VALUE) {
        CancelIoEx(handle_, nullptr);
        CloseHandle(handle_);
    }
    ReleasePort();
}

bool ObexSerialSocket::ClaimPort()
{
    // "\\.\COM5" -> "ZorvexSerialPort-COM5"; object names may not hold backslashes.
    char name[MAX_PATH];
    std::snprintf(name, sizeof name, "ZorvexSerialPort-%s", path_ + 4);
    for (char* c = name; *c; ++c) {
        if (IsDBCSLeadByte((BYTE)*c) && c[1]) {
            ++c;
        } else if (*c >= 'a' && *c <= 'z') {
            *c = (char)(*c - 'a' + 'A');
        } else if (*c == '\\') {
            *c = '_';
        }
    }
    HANDLE claim = CreateMutexA(nullptr, FALSE, name);
    if (!claim) return false;
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(claim);
        return false;
    }
    claim_ = claim;
    return true;
}

void ObexSerialSocket::ReleasePort()
{
    if (claim_) CloseHandle(claim_);
    claim_ = nullptr;
}

HANDLE ObexSerialSocket::CurrentHandle()
{
    return closed_ ? INVALID_HANDLE_VALUE : handle_;
}

HANDLE ObexSerialSocket::CreateTransferEvent()
{
    return CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

int32_t ObexSerialSocket::Transfer(Direction direction, uint8_t* buffer, int32_t count)
{
    const char* failure = direction == Direction::Read ? kReceiveFailed : kSendFailed;
    if (count < 0) count = 0;

    OVERLAPPED overlapped;
    std::memset(&overlapped, 0, sizeof overlapped);
    overlapped.hEvent = CreateTransferEvent();
    // Without an event no transfer can be waited for; reporting "no data" would have the engine
    // call again for ever.
    if (!overlapped.hEvent) throw TransportException(TRANSPORT_ERR_IO, failure);

    DWORD done = 0;
    DWORD error = ERROR_SUCCESS;
    BOOL ok;
    HANDLE handle;
    {
        ScopedLock lock(handleLock_);
        handle = CurrentHandle();
        if (handle == INVALID_HANDLE_VALUE) {
            ok = FALSE;
            error = ERROR_INVALID_HANDLE;
        } else if (direction == Direction::Read) {
            ok = ReadFile(handle, buffer, (DWORD)count, &done, &overlapped);
            if (!ok) error = GetLastError();
        } else {
            ok = WriteFile(handle, buffer, (DWORD)count, &done, &overlapped);
            if (!ok) error = GetLastError();
        }
    }
    if (!ok && error == ERROR_IO_PENDING) {
        // The line's time-outs end the wait; Close ends it at once by cancelling the I/O.
        WaitForSingleObject(overlapped.hEvent, INFINITE);
        ok = GetOverlappedResult(handle, &overlapped, &done, FALSE);
        if (!ok) error = GetLastError();
    } else if (ok) {
        // Completed at once; the count is final.
        GetOverlappedResult(handle, &overlapped, &done, FALSE);
    }
    CloseHandle(overlapped.hEvent);

    if (ok) return (int32_t)done;
    if (closed_ || IsPortGone(error)) throw TransportException(TRANSPORT_ERR_IO, failure);
    // Line errors (framing, overrun, ...) look like a time-out: the engine simply reads again.
    return 0;
}

bool ObexSerialSocket::GetCommState(DCB* dcb)
{
    ScopedLock lock(handleLock_);  // Close may release the handle on another thread
    return ::GetCommState(CurrentHandle(), dcb) != FALSE;
}

bool ObexSerialSocket::SetCommState(DCB* dcb)
{
    ScopedLock lock(handleLock_);
    return ::SetCommState(CurrentHandle(), dcb) != FALSE;
}

bool ObexSerialSocket::GetCommProperties(COMMPROP* properties)
{
    ScopedLock lock(handleLock_);
    return ::GetCommProperties(CurrentHandle(), properties) != FALSE;
}

bool ObexSerialSocket::SetCommTimeouts(COMMTIMEOUTS* timeouts)
{
    ScopedLock lock(handleLock_);
    return ::SetCommTimeouts(CurrentHandle(), timeouts) != FALSE;
}

bool ObexSerialSocket::PurgeComm()
{
    ScopedLock lock(handleLock_);
    return ::PurgeComm(CurrentHandle(), PURGE_RXCLEAR) != FALSE;
}

void ObexSerialSocket::SetUpLine(DWORD speed)
{
    DCB dcb;
    std::memset(&dcb, 0, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    GetCommState(&dcb);
    dcb.BaudRate = speed;
    dcb.ByteSize = 8;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    SetCommState(&dcb);

    COMMTIMEOUTS timeouts;
    timeouts.ReadIntervalTimeout = 500;
    timeouts.ReadTotalTimeoutMultiplier = 10;
    timeouts.ReadTotalTimeoutConstant = 500;
    timeouts.WriteTotalTimeoutMultiplier = 10;
    timeouts.WriteTotalTimeoutConstant = 500;
    SetCommTimeouts(&timeouts);
}
