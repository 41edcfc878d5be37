// OBEX over a serial port (a COM port, or a cable or modem the system presents as one).
//
// I/O is overlapped so that Close, called from another thread to cancel, stops a read or write
// that is waiting for the line at once instead of at the end of its time-out.
#pragma once
#include <windows.h>

#include <atomic>

#include "core/Sync.h"
#include "transport/SerialLineSocket.h"

class ObexSerialSocket : public SerialLineSocket {
public:
    // `portName` such as "COM3"; nullptr makes an inert object that never touches a device.
    explicit ObexSerialSocket(const char* portName);
    ~ObexSerialSocket() override;
    ObexSerialSocket(const ObexSerialSocket&) = delete;
    ObexSerialSocket& operator=(const ObexSerialSocket&) = delete;

    void Open() override;
    void Close() override;

    // The platform calls of the same names on the port; true when they succeeded.
    virtual bool GetCommState(DCB* dcb);
    virtual bool SetCommState(DCB* dcb);
    virtual bool GetCommProperties(COMMPROP* properties);
    virtual bool SetCommTimeouts(COMMTIMEOUTS* timeouts);
    // Discards what the driver has received and nobody has read.
    virtual bool PurgeComm();

    // The line the transfers use: `speed` bits per second, 8 data bits, DTR and RTS on, the rest
    // of the port's settings kept; reads end 500 ms after the last byte or after 10 ms a byte
    // plus 500 ms, writes after 10 ms a byte plus 500 ms. Failures go unnoticed, as a line
    // that cannot be set shows itself in the exchange that follows.
    void SetUpLine(DWORD speed);

    // "\\.\COMn", or nullptr for an inert object.
    const char* GetDevicePath() const { return path_; }

protected:
    // The event one overlapped transfer waits on (manual reset); nullptr when none can be had.
    virtual HANDLE CreateTransferEvent();

private:
    int32_t Transfer(Direction direction, uint8_t* buffer, int32_t count) override;
    HANDLE CurrentHandle();

    bool ClaimPort();
    void ReleasePort();

    char* path_ = nullptr;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    // A named object held while the port is open, so that a second opener fails even where the
    // driver does not refuse a second handle itself (Wine's serial ports share freely).
    HANDLE claim_ = nullptr;
    std::atomic<bool> closed_{false};
    // Keeps Close from releasing the handle between a check and the start of a read or write.
    CriticalSection handleLock_;
};
