// The ISDN card's CAPI 2.0 library, loaded by file name, with its ten
// stdcall entry points bound by name.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "capictrl/core/capilibrary.h"

namespace vx {

class TWin32CapiLibrary : public ICapiLibrary {
public:
    // nullptr when the file cannot be loaded or lacks one of the entry
    // points (such a library is unusable, so it is unloaded again).
    static std::unique_ptr<ICapiLibrary> Load(const std::string& fileName);
    ~TWin32CapiLibrary() override;

    uint32_t Installed() override;
    uint32_t GetVersion(uint32_t& capiMajor, uint32_t& capiMinor, uint32_t& manufacturerMajor,
                        uint32_t& manufacturerMinor) override;
    uint32_t GetManufacturer(char* buffer256) override;
    uint32_t GetSerialNumber(char* buffer256) override;
    uint32_t Release(uint32_t applId) override;
    uint32_t Register(uint32_t messageBufferSize, uint32_t maxLogicalConnection, uint32_t maxBDataBlocks,
                      uint32_t maxBDataLen, uint32_t& applId) override;
    uint32_t GetProfile(uint8_t* buffer64, uint32_t controller) override;
    uint32_t WaitForSignal(uint32_t applId) override;
    uint32_t GetMessage(uint32_t applId, const uint8_t*& message) override;
    uint32_t PutMessage(uint32_t applId, const uint8_t* message) override;

private:
    typedef DWORD(WINAPI* PInstalled)(void);
    typedef DWORD(WINAPI* PGetVersion)(DWORD*, DWORD*, DWORD*, DWORD*);
    typedef DWORD(WINAPI* PGetText)(char*);
    typedef DWORD(WINAPI* PRelease)(DWORD);
    typedef DWORD(WINAPI* PRegister)(DWORD, DWORD, DWORD, DWORD, DWORD*);
    typedef DWORD(WINAPI* PGetProfile)(void*, DWORD);
    typedef DWORD(WINAPI* PWaitForSignal)(DWORD);
    typedef DWORD(WINAPI* PGetMessage)(DWORD, void**);
    typedef DWORD(WINAPI* PPutMessage)(DWORD, void*);

    TWin32CapiLibrary() = default;
    HMODULE module_ = nullptr;
    PInstalled installed_ = nullptr;
    PGetVersion getVersion_ = nullptr;
    PGetText getManufacturer_ = nullptr;
    PGetText getSerialNumber_ = nullptr;
    PRelease release_ = nullptr;
    PRegister register_ = nullptr;
    PGetProfile getProfile_ = nullptr;
    PWaitForSignal waitForSignal_ = nullptr;
    PGetMessage getMessage_ = nullptr;
    PPutMessage putMessage_ = nullptr;
};

}  // namespace vx
