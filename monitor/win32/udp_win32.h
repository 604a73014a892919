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

// UDP server. Receives on a listener thread of its own and hands each
// datagram over synchronously to the thread that created the server (the
// user-interface thread), through a hidden message window; the listener
// takes the next datagram only after the handler has returned, so
// datagrams are handled one at a time, in the order received.
class TUDPServer {
public:
    // (payload, sender's IPv4 address as "a.b.c.d", sender's port)
    using ReadHandler = std::function<void(const std::string& data, const std::string& peerIp, uint16_t peerPort)>;

    // Must be created on the user-interface thread, which must process
    // window messages while the server is active.
    TUDPServer();
    ~TUDPServer();
    TUDPServer(const TUDPServer&) = delete;
    TUDPServer& operator=(const TUDPServer&) = delete;

    ReadHandler OnUDPRead;

    // Takes effect at the next activation; changing it while active changes nothing.
    void SetDefaultPort(uint16_t port) { defaultPort_ = port; }
    uint16_t DefaultPort() const { return defaultPort_; }

    // Activating an active server changes nothing. Activation binds every
    // local address on DefaultPort and raises vx::Exception when it cannot.
    // Deactivation stops the listener; datagrams still waiting are dropped.
    // May be called from inside OnUDPRead.
    void SetActive(bool on);
    bool Active() const;

    // The largest payload taken whole; longer datagrams are cut to it.
    static constexpr size_t kBufferSize = 65536;

    struct Listener;

private:
    void Stop();
    void ReapStopped();
    uint16_t defaultPort_ = 8888;
    void* hwnd_ = nullptr;
    Listener* active_ = nullptr;
    std::vector<Listener*> stopped_;  // stopped from inside a handler, joined later
    bool winsock_ = false;
    friend struct TUDPServerAccess;
};

// UDP client: one socket per datagram, IPv4, host by address or name.
// While a name is being resolved the calling thread keeps processing
// window messages.
class TUDPClient : public IUdpSender {
public:
    TUDPClient();
    ~TUDPClient() override;
    bool Send(const std::string& host, uint16_t port, const std::string& data) override;

private:
    bool winsock_ = false;
};

}  // namespace vx
