// The dial-up component as its users see it: properties, the operations
// and the events. TDialUp (Win32) implements it over the Remote Access
// Service; tests put a scripted double in its place.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vx {

enum class TDialMode { dmAsync = 0, dmSync = 1 };
enum class TLanguage { English = 0, Czech = 1, Portuguese = 2 };

// What the connection-status record says of one connection.
struct TRasConnStav {
    uint32_t state = 0;  // the connection's state, as RAS numbers it
    uint32_t error = 0;  // the RAS error code of the connection, or 0
    std::string deviceType;
    std::string deviceName;
};

class IDialUp {
public:
    virtual ~IDialUp() = default;

    TDialMode DialMode = TDialMode::dmAsync;
    std::string Entry;
    TLanguage Language = TLanguage::English;
    std::vector<std::string> Entries;  // filled by GetEntries
    std::vector<std::string> DUNA;     // dial-up adapters with statistics (Windows 9x)

    std::function<void(const std::string& entryName)> OnEntryGet;
    std::function<void()> OnDialing;
    std::function<void()> OnConnect;
    std::function<void(int errorCode, const std::string& errorMessage)> OnNotConnected;
    std::function<void(int state, int error, const std::string& messageText)> OnAsyncEvent;
    std::function<void(int errorCode, const std::string& errorMessage)> OnError;
    std::function<void(uintptr_t handle, const TRasConnStav& status, const std::string& statusString,
                       const std::string& entryName, const std::string& deviceType,
                       const std::string& deviceName)>
        OnActiveConnection;

    // Each returns the RAS error code of the step that failed, or 0, and
    // raises vx::Exception when the RAS library or a function is missing.
    virtual int Dial() = 0;
    virtual int GetEntries() = 0;
    virtual int GetConnections() = 0;
    virtual int HangUp() = 0;
};

}  // namespace vx
