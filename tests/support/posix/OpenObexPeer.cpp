#include "tests/support/posix/OpenObexPeer.h"

#include <openobex/obex.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

struct ServerContext {
    OpenObexReceived* out;
    bool stream;
    OpenObexAnswers answers;
    bool done = false;
    bool stalled = false;
    bool failed = false;
};

void Append(std::vector<uint8_t>* to, const uint8_t* data, uint32_t n)
{
    if (n) to->insert(to->end(), data, data + n);
}

void ServerEvent(obex_t* handle, obex_object_t* object, int, int event, int command, int)
{
    ServerContext* c = static_cast<ServerContext*>(OBEX_GetUserData(handle));
    switch (event) {
    case OBEX_EV_REQHINT:
        if (command == OBEX_CMD_PUT && c->answers.stallPut) c->stalled = true;
        if (command == OBEX_CMD_PUT && c->stream) OBEX_ObjectReadStream(handle, object, nullptr);
        OBEX_ObjectSetRsp(object, OBEX_RSP_CONTINUE, OBEX_RSP_SUCCESS);
        break;
    case OBEX_EV_STREAMAVAIL: {
        const uint8_t* data = nullptr;
        int n = OBEX_ObjectReadStream(handle, object, &data);
        if (n > 0) Append(&c->out->body, data, (uint32_t)n);
        break;
    }
    case OBEX_EV_REQ:
        if (command == OBEX_CMD_PUT) {
            ++c->out->puts;
            uint8_t id;
            obex_headerdata_t value;
            uint32_t size;
            while (OBEX_ObjectGetNextHeader(handle, object, &id, &value, &size)) {
                switch (id) {
                case OBEX_HDR_NAME: {
                    Append(&c->out->name, value.bs, size);
                    if (c->out->name.size() >= 2 && c->out->name.back() == 0 && c->out->name[c->out->name.size() - 2] == 0)
                        c->out->name.resize(c->out->name.size() - 2);
                    break;
                }
                case OBEX_HDR_TYPE: Append(&c->out->type, value.bs, size); break;
                case OBEX_HDR_TIME: Append(&c->out->time, value.bs, size); break;
                case OBEX_HDR_LENGTH:
                    c->out->hasLength = true;
                    c->out->length = value.bq4;
                    break;
                case OBEX_HDR_BODY:
                case OBEX_HDR_BODY_END: Append(&c->out->body, value.bs, size); break;
                default: break;
                }
            }
        }
        {
            const int answer = command == OBEX_CMD_PUT          ? c->answers.put
                               : command == OBEX_CMD_DISCONNECT ? c->answers.disconnect
                                                                : OBEX_RSP_SUCCESS;
            OBEX_ObjectSetRsp(object, answer, answer);
        }
        break;
    case OBEX_EV_REQDONE:
        if (command == OBEX_CMD_DISCONNECT) c->done = true;
        if (command == OBEX_CMD_PUT && c->answers.put != OBEX_RSP_SUCCESS) c->done = true;
        break;
    case OBEX_EV_LINKERR:
    case OBEX_EV_PARSEERR:
    case OBEX_EV_ABORT:
        c->failed = true;
        c->out->error = "link, parse or abort event " + std::to_string(event);
        break;
    default:
        break;
    }
}

struct ClientContext {
    const OpenObexPut* put = nullptr;
    size_t fed = 0;
    int chunk = 1000;
    bool requestDone = false;
    int response = -1;
    bool failed = false;
    std::string error;
};

void ClientEvent(obex_t* handle, obex_object_t* object, int, int event, int, int response)
{
    ClientContext* c = static_cast<ClientContext*>(OBEX_GetUserData(handle));
    switch (event) {
    case OBEX_EV_REQDONE:
        c->requestDone = true;
        c->response = response;
        break;
    case OBEX_EV_STREAMEMPTY: {
        const std::vector<uint8_t>& body = c->put->body;
        size_t n = std::min(body.size() - c->fed, (size_t)c->chunk);
        obex_headerdata_t value;
        value.bs = body.data() + c->fed;
        c->fed += n;
        unsigned flags = c->fed == body.size() ? OBEX_FL_STREAM_DATAEND : OBEX_FL_STREAM_DATA;
        OBEX_ObjectAddHeader(handle, object, OBEX_HDR_BODY, value, (uint32_t)n, flags);
        break;
    }
    case OBEX_EV_LINKERR:
    case OBEX_EV_PARSEERR:
    case OBEX_EV_ABORT:
        c->failed = true;
        c->error = "link, parse or abort event " + std::to_string(event);
        break;
    default:
        break;
    }
}

// Runs one request to its end; the response code, or -1.
int Exchange(obex_t* handle, ClientContext* c, obex_object_t* object, Clock::time_point deadline)
{
    c->requestDone = false;
    c->response = -1;
    if (OBEX_Request(handle, object) < 0) {
        c->failed = true;
        c->error = "OBEX_Request";
        return -1;
    }
    while (!c->requestDone && !c->failed && Clock::now() < deadline) {
        if (OBEX_HandleInput(handle, 1) < 0) {
            c->failed = true;
            c->error = "OBEX_HandleInput";
        }
    }
    if (!c->requestDone && !c->failed) {
        c->failed = true;
        c->error = "timeout";
    }
    return c->response;
}

}  // namespace

std::vector<uint8_t> Utf16BigEndian(const std::u16string& text)
{
    std::vector<uint8_t> out;
    for (char16_t unit : text) {
        out.push_back((uint8_t)(unit >> 8));
        out.push_back((uint8_t)unit);
    }
    return out;
}

OpenObexReceived RunOpenObexServer(int fd, int mtu, bool stream, int seconds,
                                   const OpenObexAnswers& answers)
{
    OpenObexReceived out;
    ServerContext context{&out, stream, answers};
    obex_t* handle = OBEX_Init(OBEX_TRANS_FD, ServerEvent, 0);
    if (!handle) {
        out.error = "OBEX_Init";
        return out;
    }
    OBEX_SetUserData(handle, &context);
    // The MTU argument of the set-up alone leaves libopenobex announcing its default of 1024.
    if (FdOBEX_TransportSetup(handle, fd, fd, mtu) < 0 || OBEX_SetTransportMTU(handle, (uint16_t)mtu, (uint16_t)mtu) < 0) {
        out.error = "FdOBEX_TransportSetup";
    } else {
        Clock::time_point deadline = Clock::now() + std::chrono::seconds(seconds);
        while (!context.done && !context.failed && !context.stalled && Clock::now() < deadline) {
            if (OBEX_HandleInput(handle, 1) < 0) {
                out.error = "OBEX_HandleInput";
                break;
            }
        }
        if (context.stalled) out.error = "stalled";
        if (!context.done && out.error.empty()) out.error = "timeout";
    }
    OBEX_Cleanup(handle);
    out.ok = context.done && !context.failed;
    return out;
}

OpenObexClientResult RunOpenObexClient(int fd, int mtu, const OpenObexPut& put, int seconds)
{
    OpenObexClientResult result;
    ClientContext context;
    context.put = &put;
    context.chunk = std::max(mtu, 255);
    obex_t* handle = OBEX_Init(OBEX_TRANS_FD, ClientEvent, 0);
    if (!handle) {
        result.error = "OBEX_Init";
        return result;
    }
    OBEX_SetUserData(handle, &context);
    Clock::time_point deadline = Clock::now() + std::chrono::seconds(seconds);
    // The MTU argument of the set-up alone leaves libopenobex announcing its default of 1024.
    if (FdOBEX_TransportSetup(handle, fd, fd, mtu) < 0 || OBEX_SetTransportMTU(handle, (uint16_t)mtu, (uint16_t)mtu) < 0) {
        result.error = "FdOBEX_TransportSetup";
        OBEX_Cleanup(handle);
        return result;
    }
    result.connectResponse = Exchange(handle, &context, OBEX_ObjectNew(handle, OBEX_CMD_CONNECT), deadline);
    if (!context.failed) {
        obex_object_t* object = OBEX_ObjectNew(handle, OBEX_CMD_PUT);
        obex_headerdata_t value;
        if (!put.nameUtf16be.empty()) {
            std::vector<uint8_t> name = put.nameUtf16be;
            name.push_back(0);
            name.push_back(0);
            value.bs = name.data();
            OBEX_ObjectAddHeader(handle, object, OBEX_HDR_NAME, value, (uint32_t)name.size(), 0);
        }
        if (!put.type.empty()) {
            value.bs = reinterpret_cast<const uint8_t*>(put.type.c_str());
            OBEX_ObjectAddHeader(handle, object, OBEX_HDR_TYPE, value, (uint32_t)put.type.size() + 1, 0);
        }
        if (!put.time.empty()) {
            value.bs = reinterpret_cast<const uint8_t*>(put.time.data());
            OBEX_ObjectAddHeader(handle, object, OBEX_HDR_TIME, value, (uint32_t)put.time.size(), 0);
        }
        if (put.hasLength) {
            value.bq4 = (uint32_t)put.body.size();
            OBEX_ObjectAddHeader(handle, object, OBEX_HDR_LENGTH, value, 4, 0);
        }
        if (put.stream) {
            value.bs = nullptr;
            OBEX_ObjectAddHeader(handle, object, OBEX_HDR_BODY, value, 0, OBEX_FL_STREAM_START);
        } else {
            value.bs = put.body.data();
            OBEX_ObjectAddHeader(handle, object, OBEX_HDR_BODY, value, (uint32_t)put.body.size(), 0);
        }
        result.putResponse = Exchange(handle, &context, object, deadline);
    }
    if (!context.failed)
        result.disconnectResponse = Exchange(handle, &context, OBEX_ObjectNew(handle, OBEX_CMD_DISCONNECT), deadline);
    OBEX_Cleanup(handle);
    result.error = context.error;
    result.ok = !context.failed && result.connectResponse == OBEX_RSP_SUCCESS &&
                result.putResponse == OBEX_RSP_SUCCESS && result.disconnectResponse == OBEX_RSP_SUCCESS;
    return result;
}
