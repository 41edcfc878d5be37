// Packet primitives of ObexObject: the send and receive buffers' readers and writers, and
// whole packets over the transport.
#include "obex/ObexObject.h"

#include <cstring>

#include "core/ByteOrder.h"

// ---- Writers and readers ---------------------------------------------------------------------

void ObexObject::WriteByte(uint8_t value)
{
    if ((int64_t)sendLength_ + 1 > sendCapacity_) ObexFail(OBEX_ERR_OVERFLOW, "WriteByte:パケットあふれが発生しました。");
    sendBuffer_[(size_t)sendLength_++] = value;
}

void ObexObject::WriteWord(uint16_t value)
{
    if ((int64_t)sendLength_ + 2 > sendCapacity_) ObexFail(OBEX_ERR_OVERFLOW, "WriteWord:パケットあふれが発生しました。");
    sendBuffer_[(size_t)sendLength_++] = (uint8_t)(value >> 8);
    sendBuffer_[(size_t)sendLength_++] = (uint8_t)value;
}

void ObexObject::WriteDoubleWord(uint32_t value)
{
    if ((int64_t)sendLength_ + 4 > sendCapacity_)
        ObexFail(OBEX_ERR_OVERFLOW, "WriteDoubleWord:パケットあふれが発生しました。");
    for (int shift = 24; shift >= 0; shift -= 8) sendBuffer_[(size_t)sendLength_++] = (uint8_t)(value >> shift);
}

void ObexObject::WriteBytes(const void* data, int32_t count)
{
    if (count < 0 || (int64_t)sendLength_ + count > sendCapacity_)
        ObexFail(OBEX_ERR_OVERFLOW, "WriteBytes:パケットあふれが発生しました。");
    if (count) std::memcpy(sendBuffer_.get() + sendLength_, data, (size_t)count);
    sendLength_ += count;
}

uint8_t ObexObject::ReadByte()
{
    if ((int64_t)readPosition_ + 1 > receiveLength_) ObexFail(OBEX_ERR_PROTOCOL, "ReadByte:パケット長が不正です。");
    return receiveBuffer_[(size_t)readPosition_++];
}

uint16_t ObexObject::ReadWord()
{
    if ((int64_t)readPosition_ + 2 > receiveLength_) ObexFail(OBEX_ERR_PROTOCOL, "ReadWord:パケット長が不正です。");
    uint16_t value = (uint16_t)Be16(receiveBuffer_.get() + readPosition_);
    readPosition_ += 2;
    return value;
}

uint32_t ObexObject::ReadDoubleWord()
{
    if ((int64_t)readPosition_ + 4 > receiveLength_)
        ObexFail(OBEX_ERR_PROTOCOL, "ReadDoubleWord:パケット長が不正です。");
    const uint8_t* p = receiveBuffer_.get() + readPosition_;
    readPosition_ += 4;
    return ((uint32_t)p[0] << 24) | ((uint32_t)p[1] << 16) | ((uint32_t)p[2] << 8) | p[3];
}

void ObexObject::ReadBytes(void* destination, int32_t count)
{
    if (count < 0 || (int64_t)readPosition_ + count > receiveLength_)
        ObexFail(OBEX_ERR_PROTOCOL, "ReadBytes:パケット長が不正です。");
    if (count) std::memcpy(destination, receiveBuffer_.get() + readPosition_, (size_t)count);
    readPosition_ += count;
}

// ---- Whole packets ---------------------------------------------------------------------------

void ObexObject::BeginPacket(uint8_t code)
{
    sendLength_ = 0;
    WriteByte(code);
    WriteWord(0);
}

void ObexObject::StorePacketLength()
{
    sendBuffer_[1] = (uint8_t)(sendLength_ >> 8);
    sendBuffer_[2] = (uint8_t)sendLength_;
}

void ObexObject::SendPacket()
{
    int32_t sent = 0;
    while (sent < sendLength_) {
        const int32_t n = transport_->Send(sendBuffer_.get(), sent, sendLength_ - sent);
        if (n > 0 && activity_) activity_();
        sent += n;
    }
    sendLength_ = 0;
}

void ObexObject::ReceiveFirstPacket(bool (*isStart)(uint8_t code))
{
    receiveLength_ = 0;
    readPosition_ = 0;
    for (;;) {
        const int32_t n = transport_->Receive(receiveBuffer_.get(), 0, 1);
        if (n > 0 && activity_) activity_();
        if (n > 0 && isStart(receiveBuffer_[0])) break;
    }
    ReceivePacket(1);
}

void ObexObject::ReceivePacket() { ReceivePacket(0); }

void ObexObject::ReceivePacket(int32_t held)
{
    receiveLength_ = 0;
    readPosition_ = 0;
    const auto arrived = [this](int32_t n) {
        if (n > 0 && activity_) activity_();
        return n;
    };
    while (held < 3) held += arrived(transport_->Receive(receiveBuffer_.get(), held, 3 - held));
    int32_t length = (int32_t)Be16(receiveBuffer_.get() + 1);
    if (length < 3) ObexFail(OBEX_ERR_PROTOCOL, "ReceivePacket:受信したパケットサイズが３バイト以下です。");
    if (length > receiveCapacity_)
        ObexFail(OBEX_ERR_PROTOCOL, "ReceivePacket:受信したパケットサイズが最大バイト以上です。");
    while (held < length) held += arrived(transport_->Receive(receiveBuffer_.get(), held, length - held));
    receiveLength_ = length;
}
