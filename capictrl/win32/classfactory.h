// The file's class factories: one static object per class for the file's
// whole life, so none counts references; what differs between the classes
// is only how a new object is made.
#pragma once
#include <windows.h>
#include <ole2.h>

namespace vx {

class TStaticClassFactory : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    // No aggregation; otherwise a new object asked for riid.
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
    // A lock keeps the file loaded just as a live object does.
    STDMETHODIMP LockServer(BOOL lock) override;

protected:
    // A new object of the class asked for riid; *ppv is null on entry.
    virtual HRESULT CreateObject(REFIID riid, void** ppv) = 0;
};

}  // namespace vx
