#include "capictrl/win32/capilibrary_win32.h"

#include "base/win32/text.h"

namespace vx {

namespace {

template <typename F>
bool Bind(HMODULE m, F& f, const char* name) {
    f = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name)));
    return f != nullptr;
}

}  // namespace

std::unique_ptr<ICapiLibrary> TWin32CapiLibrary::Load(const std::string& fileName) {
    HMODULE m = LoadLibraryW(Wide(fileName).c_str());
    if (!m) return nullptr;
    std::unique_ptr<TWin32CapiLibrary> lib(new TWin32CapiLibrary());
    lib->module_ = m;
    bool all = Bind(m, lib->installed_, "CAPI_INSTALLED") && Bind(m, lib->getVersion_, "CAPI_GET_VERSION") &&
               Bind(m, lib->getManufacturer_, "CAPI_GET_MANUFACTURER") &&
               Bind(m, lib->getSerialNumber_, "CAPI_GET_SERIAL_NUMBER") &&
               Bind(m, lib->release_, "CAPI_RELEASE") && Bind(m, lib->register_, "CAPI_REGISTER") &&
               Bind(m, lib->getProfile_, "CAPI_GET_PROFILE") &&
               Bind(m, lib->waitForSignal_, "CAPI_WAIT_FOR_SIGNAL") &&
               Bind(m, lib->getMessage_, "CAPI_GET_MESSAGE") && Bind(m, lib->putMessage_, "CAPI_PUT_MESSAGE");
    if (!all) return nullptr;  // the destructor unloads it
    return lib;
}

TWin32CapiLibrary::~TWin32CapiLibrary() {
    if (module_) FreeLibrary(module_);
}

uint32_t TWin32CapiLibrary::Installed() { return installed_(); }

uint32_t TWin32CapiLibrary::GetVersion(uint32_t& a, uint32_t& b, uint32_t& c, uint32_t& d) {
    DWORD v[4] = {0, 0, 0, 0};
    DWORD r = getVersion_(&v[0], &v[1], &v[2], &v[3]);
    a = v[0], b = v[1], c = v[2], d = v[3];
    return r;
}

uint32_t TWin32CapiLibrary::GetManufacturer(char* buffer256) { return getManufacturer_(buffer256); }
uint32_t TWin32CapiLibrary::GetSerialNumber(char* buffer256) { return getSerialNumber_(buffer256); }
uint32_t TWin32CapiLibrary::Release(uint32_t applId) { return release_(applId); }

uint32_t TWin32CapiLibrary::Register(uint32_t size, uint32_t logical, uint32_t blocks, uint32_t len,
                                     uint32_t& applId) {
    DWORD id = 0;
    DWORD r = register_(size, logical, blocks, len, &id);
    applId = id;
    return r;
}

uint32_t TWin32CapiLibrary::GetProfile(uint8_t* buffer64, uint32_t controller) {
    return getProfile_(buffer64, controller);
}

uint32_t TWin32CapiLibrary::WaitForSignal(uint32_t applId) { return waitForSignal_(applId); }

uint32_t TWin32CapiLibrary::GetMessage(uint32_t applId, const uint8_t*& message) {
    void* p = nullptr;
    DWORD r = getMessage_(applId, &p);
    message = static_cast<const uint8_t*>(p);
    return r;
}

uint32_t TWin32CapiLibrary::PutMessage(uint32_t applId, const uint8_t* message) {
    return putMessage_(applId, const_cast<uint8_t*>(message));
}

}  // namespace vx
