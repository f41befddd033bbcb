// A loopback port that is bound and either refuses connections or accepts
// them into its backlog and never answers: a server that is down or hangs.
#pragma once

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

class SilentPort {
public:
    explicit SilentPort(bool listening) {
        socket_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof(address);
        bind(socket_, reinterpret_cast<sockaddr*>(&address), length);
        if (listening) listen(socket_, 8);
        getsockname(socket_, reinterpret_cast<sockaddr*>(&address), &length);
        url_ = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/Tj/ins_detail";
    }
    ~SilentPort() { close(socket_); }
    SilentPort(const SilentPort&) = delete;
    SilentPort& operator=(const SilentPort&) = delete;

    // The report's address on this port.
    const std::string& Url() const { return url_; }

private:
    int socket_ = -1;
    std::string url_;
};
