// Run-time binding of the dial-up functions by name, so the program starts
// on systems without dial-up networking.
#pragma once
#include <string>

namespace vx {

// Loading a library and finding a function in it (LoadLibrary and
// GetProcAddress on Windows).
class IRasLoader {
public:
    virtual ~IRasLoader() = default;
    virtual void* Load(const std::string& file) = 0;  // nullptr on failure
    virtual void* Find(void* library, const std::string& name) = 0;
    virtual void Free(void* library) = 0;
};

class TRasBinding {
public:
    explicit TRasBinding(IRasLoader& loader) : loader_(loader) {}
    // The address of a function such as "RasDialA"; raises vx::Exception
    // "Error opening rasapi.dll", "Error opening rnaph.dll" or
    // "Function <name> not found!".
    void* GetRasProc(const std::string& name);
    // At program end: only the fallback library is freed.
    void Release();
    bool Bound() const { return bound_; }
    bool Fallback() const { return fallback_; }

private:
    IRasLoader& loader_;
    void* library_ = nullptr;
    bool bound_ = false;
    bool fallback_ = false;
};

}  // namespace vx
