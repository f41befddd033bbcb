#include "support/MisbehavingServer.h"

#include <netinet/in.h>
#include <poll.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace {

constexpr int kSliceMilliseconds = 100;  // how often a waiting server looks at stopping_
constexpr uint64_t kHugeBodyBytes = 1ull << 30;
constexpr size_t kMaxRequestBytes = 1 << 20;
constexpr size_t kBlockBytes = 64 * 1024;

const std::string kServerError =
    "HTTP/1.1 500 Internal Server Error\r\nContent-Type: text/plain\r\nContent-Length: 6\r\n"
    "Connection: close\r\n\r\nbroken";
const std::string kHalfHeaders = "HTTP/1.1 200 OK\r\nContent-Type: text/pl";
const std::string kHugeBodyHead = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
                                  "Content-Length: " + std::to_string(kHugeBodyBytes) + "\r\n\r\n";

// Bytes no HTTP reply starts with: a NUL, then a fixed pseudo-random run.
std::string GarbageBytes() {
    std::string bytes(4096, '\0');
    uint32_t state = 12345;
    for (size_t i = 1; i < bytes.size(); ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = static_cast<char>(state >> 16);
    }
    return bytes;
}

std::string PatternBlock() {
    std::string block(kBlockBytes, '\0');
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>('a' + i * 7 % 26);
    return block;
}

// The value of a Content-Length header in a request head; 0 when it has none.
size_t ContentLength(const std::string& head) {
    size_t line = 0;
    while ((line = head.find("\r\n", line)) != std::string::npos) {
        line += 2;
        if (strncasecmp(head.c_str() + line, "Content-Length:", 15) == 0)
            return std::strtoull(head.c_str() + line + 15, nullptr, 10);
    }
    return 0;
}

}  // namespace

MisbehavingServer::MisbehavingServer(Misbehaviour mode) : mode_(mode) {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    if (listener_ < 0 || bind(listener_, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(listener_, 8) != 0 || getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        if (listener_ >= 0) close(listener_);
        listener_ = -1;
        return;
    }
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
}

MisbehavingServer::~MisbehavingServer() {
    stopping_ = true;
    if (thread_.joinable()) thread_.join();
    if (listener_ >= 0) close(listener_);
}

std::vector<std::string> MisbehavingServer::RequestHeads() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return heads_;
}

void MisbehavingServer::Serve() {
    pollfd waiting = {listener_, POLLIN, 0};
    while (!stopping_) {
        if (poll(&waiting, 1, kSliceMilliseconds) <= 0) continue;
        int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (connection < 0) continue;
        Answer(connection);
        close(connection);
    }
}

void MisbehavingServer::Answer(int connection) {
    if (!ReadRequest(connection)) return;
    switch (mode_) {
    case Misbehaviour::ServerError: Send(connection, kServerError); return;
    case Misbehaviour::Garbage: Send(connection, GarbageBytes()); return;
    case Misbehaviour::HalfHeaders: Send(connection, kHalfHeaders); return;
    case Misbehaviour::HugeBody:
        if (Send(connection, kHugeBodyHead)) StreamBody(connection, kHugeBodyBytes);
        return;
    case Misbehaviour::NeverAnswers: HoldUntilPeerCloses(connection); return;
    }
}

// Reads one request, its body included, and keeps its head.
bool MisbehavingServer::ReadRequest(int connection) {
    std::string bytes;
    size_t headEnd = std::string::npos;
    pollfd readable = {connection, POLLIN, 0};
    while (!stopping_ && bytes.size() < kMaxRequestBytes) {
        if (headEnd != std::string::npos && bytes.size() >= headEnd + 4 + ContentLength(bytes.substr(0, headEnd)))
            break;
        if (poll(&readable, 1, kSliceMilliseconds) <= 0) continue;
        char chunk[4096];
        ssize_t got = recv(connection, chunk, sizeof(chunk), 0);
        if (got <= 0) return false;
        bytes.append(chunk, got);
        if (headEnd == std::string::npos) headEnd = bytes.find("\r\n\r\n");
    }
    if (headEnd == std::string::npos || stopping_) return false;
    std::lock_guard<std::mutex> lock(mutex_);
    heads_.push_back(bytes.substr(0, headEnd));
    return true;
}

// False when the peer is gone or the server stops.
bool MisbehavingServer::Send(int connection, const std::string& bytes) {
    pollfd writable = {connection, POLLOUT, 0};
    size_t sent = 0;
    while (sent < bytes.size()) {
        if (stopping_) return false;
        if (poll(&writable, 1, kSliceMilliseconds) <= 0) continue;
        ssize_t put = send(connection, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (put < 0 && (errno == EAGAIN || errno == EINTR)) continue;
        if (put <= 0) return false;
        sent += put;
    }
    return true;
}

// Sends blocks of a pattern until the body is whole or the peer closes.
void MisbehavingServer::StreamBody(int connection, uint64_t bytes) {
    const std::string block = PatternBlock();
    for (uint64_t sent = 0; sent < bytes; sent += block.size()) {
        if (!Send(connection, block)) {
            peerGaveUp_ = !stopping_;
            return;
        }
        bodyBytesSent_ += block.size();
    }
}

// Reads and drops whatever comes until the peer closes its side (or the server stops).
void MisbehavingServer::HoldUntilPeerCloses(int connection) {
    pollfd watched = {connection, POLLIN | POLLRDHUP, 0};
    while (!stopping_) {
        if (poll(&watched, 1, kSliceMilliseconds) <= 0) continue;
        char discarded[4096];
        bool closed = watched.revents & (POLLRDHUP | POLLHUP | POLLERR);
        if (closed || recv(connection, discarded, sizeof(discarded), 0) <= 0) {
            peerGaveUp_ = true;
            return;
        }
    }
}
