#include "obex/ObexObject.h"

#include <algorithm>
#include <cstring>

#include "core/TextHelpers.h"

// ---- MemoryBodySource ------------------------------------------------------------------------

MemoryBodySource::MemoryBodySource(const void* data, uint32_t size)
    : data_(new uint8_t[size ? size : 1]), size_(size)
{
    if (size) std::memcpy(data_.get(), data, size);
}

MemoryBodySource::~MemoryBodySource() = default;

int32_t MemoryBodySource::Read(ObexObject*, uint8_t* buffer, int32_t maximum)
{
    if (maximum <= 0) return 0;
    uint32_t n = std::min<uint32_t>((uint32_t)maximum, size_ - position_);
    if (n) std::memcpy(buffer, data_.get() + position_, n);
    position_ += n;
    return (int32_t)n;
}

uint32_t MemoryBodySource::GetPosition() const { return position_; }
uint32_t MemoryBodySource::GetSize() const { return size_; }

// ---- Construction and end --------------------------------------------------------------------

ObexObject::ObexObject(ObexSocket* transport) : transport_(transport)
{
    AllocateSendBuffer(0);
    AllocateReceiveBuffer(0);
    InitReceivedHeaders();
    InitOutgoingHeaders();
    ResetAuthState();
    transport_->Open();
    closed_ = false;
}

ObexObject::~ObexObject()
{
    ObexObject::Close();
    DropOwnedBodySource();
}

void ObexObject::Close()
{
    if (closed_.exchange(true)) return;
    transport_->Close();
}

// ---- Resets and buffers ----------------------------------------------------------------------

void ObexObject::ResetReceivedHeaders()
{
    in_.body.reset();
    InitReceivedHeaders();
    // What the last authentication headers carried belongs to the packets just dropped.
    auth_.hasChallengeNonce = false;
    auth_.challengeOptions = 0;
    auth_.challengeRealmCharset = 0;
    auth_.hasChallengeRealm = false;
    auth_.challengeRealm.clear();
    auth_.hasReceivedDigest = false;
    auth_.hasReceivedUserId = false;
    auth_.receivedUserId.clear();
    auth_.hasReceivedResponseNonce = false;
    auth_.challengeReceived = false;
    auth_.responseReceived = false;
}

void ObexObject::InitReceivedHeaders()
{
    in_ = Received();
    in_.body.reset(new ByteBuffer((uint32_t)receiveCapacity_));
    readPosition_ = 0;
}

void ObexObject::ResetOutgoingHeaders()
{
    DropOwnedBodySource();
    InitOutgoingHeaders();
}

void ObexObject::InitOutgoingHeaders()
{
    out_ = Outgoing();
    sendLength_ = 0;
}

void ObexObject::DropOwnedBodySource()
{
    if (out_.ownsBodySource) delete out_.bodySource;
    out_.bodySource = nullptr;
    out_.ownsBodySource = false;
}

// The arrays are never smaller than a packet's 3-byte prefix, so that ReceivePacket can read
// the length field even before a capacity is known; the capacity still bounds every packet.
// Bytes held before are carried over as far as they fit, so a length kept across the new
// allocation never points past the array.
void ObexObject::AllocateReceiveBuffer(int32_t capacity)
{
    if (capacity < 0) capacity = 0;
    std::unique_ptr<uint8_t[]> fresh(new uint8_t[(size_t)std::max(capacity, 3)]());
    receiveLength_ = std::min(receiveLength_, capacity);
    readPosition_ = std::min(readPosition_, receiveLength_);
    if (receiveBuffer_ && receiveLength_ > 0)
        std::memcpy(fresh.get(), receiveBuffer_.get(), (size_t)receiveLength_);
    receiveBuffer_ = std::move(fresh);
    receiveCapacity_ = capacity;
}

void ObexObject::AllocateSendBuffer(int32_t capacity)
{
    if (capacity < 0) capacity = 0;
    std::unique_ptr<uint8_t[]> fresh(new uint8_t[(size_t)std::max(capacity, 3)]());
    sendLength_ = std::min(sendLength_, capacity);
    if (sendBuffer_ && sendLength_ > 0)
        std::memcpy(fresh.get(), sendBuffer_.get(), (size_t)sendLength_);
    sendBuffer_ = std::move(fresh);
    sendCapacity_ = capacity;
}

int32_t ObexObject::GetSendCapacity() { return sendCapacity_; }
int32_t ObexObject::GetReceiveCapacity() { return receiveCapacity_; }

// ---- Values to send and values received ------------------------------------------------------

void ObexObject::CheckReceived(const char* message)
{
    if (!in_.received) ObexFail(OBEX_ERR_STATE, message);
}

void ObexObject::SetBodyReceiver(ObexBodyReceiver* receiver) { receiver_ = receiver; }

void ObexObject::SetBodySource(ObexBodySource* source)
{
    DropOwnedBodySource();
    out_.bodySource = source;
    out_.ownsBodySource = false;
}

void ObexObject::SetBody(const void* data, uint32_t count)
{
    DropOwnedBodySource();
    out_.bodySource = new MemoryBodySource(data, count);
    out_.ownsBodySource = true;
    SetLength(count);
}

uint32_t ObexObject::GetLength()
{
    CheckReceived("GetLength:まだデータを受信していません。");
    return in_.hasLength ? in_.length : 0;
}

void ObexObject::SetLength(uint32_t value)
{
    out_.length = value;
    out_.hasLength = true;
}

uint32_t ObexObject::GetContentLength()
{
    CheckReceived("GetContentLength:まだデータを受信していません。");
    return in_.body->GetSize();
}

uint32_t ObexObject::GetCount()
{
    CheckReceived("GetCount:まだデータを受信していません。");
    return in_.hasCount ? in_.count : 0;
}

void ObexObject::SetCount(uint32_t value)
{
    out_.count = value;
    out_.hasCount = true;
}

void ObexObject::SetName(const char* text)
{
    out_.hasName = text != nullptr;
    out_.name = DuplicateText(text);
}

const char* ObexObject::GetName()
{
    CheckReceived("GetName:まだデータを受信していません。");
    return in_.hasName ? in_.name.c_str() : nullptr;
}

void ObexObject::SetType(const char* text)
{
    out_.hasType = text != nullptr;
    out_.type = DuplicateText(text);
}

const char* ObexObject::GetType()
{
    CheckReceived("GetType:まだデータを受信していません。");
    return in_.hasType ? in_.type.c_str() : nullptr;
}

void ObexObject::SetTime(int32_t seconds)
{
    out_.time = seconds;
    out_.hasTime = true;
}

int32_t ObexObject::GetTime()
{
    CheckReceived("GetTime:まだデータを受信していません。");
    return in_.hasTime ? in_.time : 0;
}

void ObexObject::SetDescription(const char* text)
{
    out_.hasDescription = text != nullptr;
    out_.description = DuplicateText(text);
}

const char* ObexObject::GetDescription()
{
    CheckReceived("GetDescription:まだデータを受信していません。");
    return in_.hasDescription ? in_.description.c_str() : nullptr;
}

void ObexObject::SetTimeAsNumber(bool asNumber) { out_.timeAsNumber = asNumber; }

void ObexObject::SetHttpHeader(const char* name, const char* value) { out_.http.Set(name, value); }

void ObexObject::RemoveHttpHeader(const char* name) { out_.http.Remove(name); }

const char* ObexObject::GetHttpHeader(const char* name)
{
    CheckReceived("GetHttpHeader:まだデータを受信していません。");
    return in_.http.Get(name);
}

int32_t ObexObject::GetHttpHeaderNames(const char** array, int32_t capacity)
{
    CheckReceived("GetHttpHeaderNames:まだデータを受信していません。");
    return in_.http.GetNames(array, capacity);
}

const uint8_t* ObexObject::GetBody()
{
    CheckReceived("GetBody:まだデータを受信していません。");
    return in_.body->GetData();
}
