#include "platform/native_socket.h"
#include "platform/net.h"

namespace {

ListenResult failure(const char* step, int code) {
    ListenResult result;
    result.failedStep = step;
    result.errorCode = code;
    result.addressUnavailable = code == familyUnsupportedError || code == addressNotAvailableError;
    return result;
}

}  // namespace

ListenResult listenOn(const std::string& host, const std::string& service) {
    addrinfo hints{};
    hints.ai_flags = AI_PASSIVE;
    hints.ai_family = host.find(':') == std::string::npos ? AF_INET : AF_INET6;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
    if (rc != 0 || found == nullptr) return failure("getaddrinfo", rc);
    NativeSocket listener = ::socket(found->ai_family, found->ai_socktype, found->ai_protocol);
    if (listener == invalidNativeSocket) {
        int error = lastSocketError();
        freeaddrinfo(found);
        return failure("socket", error);
    }
    prepareListener(listener);
    rc = ::bind(listener, found->ai_addr, static_cast<int>(found->ai_addrlen));
    int bindError = lastSocketError();
    freeaddrinfo(found);
    if (rc != 0) {
        closeSocket(static_cast<Socket>(listener));
        return failure("bind", bindError);
    }
    if (::listen(listener, SOMAXCONN) != 0) {
        int error = lastSocketError();
        closeSocket(static_cast<Socket>(listener));
        return failure("listen", error);
    }
    ListenResult result;
    result.socket = static_cast<Socket>(listener);
    return result;
}
