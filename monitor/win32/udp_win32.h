// The monitor's UDP ends on Winsock: the LAN call source's server and the
// client that forwards calls.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "monitor/core/udpinfo.h"

namespace vx {

class TMessageWindow;

// UDP server. Receives on a listener thread of its own and hands each
// datagram over to the thread that created the server (the user-interface
// thread) through a hidden message window, one at a time and in the order
// received: the next hand-over starts only after the handler has returned,
// also when the handler lets window messages through. While a datagram is
// being handled, the listener goes on reading the socket into a queue, so a
// burst of calls is not lost in a full socket buffer.
class TUDPServer {
public:
    // (payload, sender's IPv4 address as "a.b.c.d", sender's port)
    using ReadHandler = std::function<void(const std::string& data, const std::string& peerIp, uint16_t peerPort)>;
    // (datagrams dropped since the last hand-over because the queue was full)
    using OverflowHandler = std::function<void(size_t dropped)>;

    // Must be created on the user-interface thread, which must process
    // window messages while the server is active.
    TUDPServer();
    ~TUDPServer();
    TUDPServer(const TUDPServer&) = delete;
    TUDPServer& operator=(const TUDPServer&) = delete;

    ReadHandler OnUDPRead;
    // Called on the user-interface thread, before the next datagram is
    // handed over, when datagrams were dropped because the queue was full.
    OverflowHandler OnOverflow;

    // Takes effect at the next activation; changing it while active changes nothing.
    void SetDefaultPort(uint16_t port) { defaultPort_ = port; }

    // Activating an active server changes nothing. Activation binds every
    // local address on the default port and raises vx::Exception when it cannot.
    // Deactivation stops the listener; datagrams still waiting are dropped.
    // May be called from inside OnUDPRead.
    void SetActive(bool on);
    bool Active() const;

    // The largest payload taken whole; longer datagrams are cut to it.
    static constexpr size_t kBufferSize = 65536;
    // Bounds of the queue of datagrams waiting for their hand-over, in
    // datagrams and in bytes; beyond either, newly read datagrams are dropped
    // (an empty queue always takes one). Take effect at the next activation.
    static constexpr size_t kQueueCount = 10000;
    static constexpr size_t kQueueBytes = 16u << 20;
    void SetQueueLimits(size_t count, size_t bytes) {
        queueCount_ = count;
        queueBytes_ = bytes;
    }

    struct Listener;

private:
    void Stop();
    // Hands the oldest waiting datagram to OnUDPRead (the window's message).
    void Deliver();
    uint16_t defaultPort_ = 8888;
    size_t queueCount_ = kQueueCount;
    size_t queueBytes_ = kQueueBytes;
    std::unique_ptr<TMessageWindow> window_;
    Listener* active_ = nullptr;
    bool handing_ = false;  // a datagram is on the user-interface thread's stack
    bool winsock_ = false;
};

// UDP client: one socket per datagram, IPv4, host by address or name.
// While a name is being resolved the calling thread keeps processing
// window messages; a name not resolved within a few seconds is a failed send.
class TUDPClient : public IUdpSender {
public:
    TUDPClient();
    ~TUDPClient() override;
    bool Send(const std::string& host, uint16_t port, const std::string& data) override;

private:
    bool winsock_ = false;
};

}  // namespace vx
