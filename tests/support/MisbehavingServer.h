// A statistics server that misbehaves: a thread on a loopback port of its own
// (chosen by the kernel) that takes connections one at a time and answers
// every request the way its mode says.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

enum class Misbehaviour {
    ServerError,        // HTTP 500 with a short page
    Garbage,            // bytes that are not HTTP, then closes
    HugeBody,           // 200 with a 1 GiB body, made on the fly, sent until the peer closes
    HalfHeaders,        // half a reply's headers, then closes
    NeverAnswers,       // reads the request and holds the connection open until the peer closes
};

class MisbehavingServer {
public:
    explicit MisbehavingServer(Misbehaviour mode);
    ~MisbehavingServer();
    MisbehavingServer(const MisbehavingServer&) = delete;
    MisbehavingServer& operator=(const MisbehavingServer&) = delete;

    bool Listening() const { return listener_ >= 0; }
    int Port() const { return port_; }
    // The head (request line and headers) of every request read so far.
    std::vector<std::string> RequestHeads() const;
    // Bytes of reply bodies the peers took, counted as the kernel accepted them.
    uint64_t BodyBytesSent() const { return bodyBytesSent_; }
    // Whether a peer closed a connection that the server still held open.
    bool PeerGaveUp() const { return peerGaveUp_; }

private:
    void Serve();
    void Answer(int connection);
    bool ReadRequest(int connection);
    bool Send(int connection, const std::string& bytes);
    void StreamBody(int connection, uint64_t bytes);
    void HoldUntilPeerCloses(int connection);

    Misbehaviour mode_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<uint64_t> bodyBytesSent_{0};
    std::atomic<bool> peerGaveUp_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> heads_;
    std::thread thread_;
};
