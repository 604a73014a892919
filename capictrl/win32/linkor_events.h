// The connection points of the Linkor control: embedded in the control and
// sharing its reference count, each keeps the sinks connected to one
// outgoing interface.
#pragma once
#include <windows.h>
#include <ocidl.h>

#include <vector>

namespace vx {

class TLinkorCtrl;

// A connection point embedded in the control; shares its reference count.
class TConnectionPoint : public IConnectionPoint {
public:
    TConnectionPoint(TLinkorCtrl& owner, const IID& iid, bool single) : owner_(owner), iid_(iid), single_(single) {}
    ~TConnectionPoint();
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetConnectionInterface(IID* piid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** ppCPC) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** ppEnum) override;

    // Sinks connected now, each queried for the connection's interface.
    std::vector<IUnknown*> Sinks() const;
    void DisconnectAll();

private:
    struct Connection {
        DWORD cookie;
        IUnknown* sink;
    };
    TLinkorCtrl& owner_;
    IID iid_;
    bool single_;
    DWORD nextCookie_ = 1;
    std::vector<Connection> connections_;
};

}  // namespace vx
