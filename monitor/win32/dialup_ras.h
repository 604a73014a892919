// Records and entry points of the Remote Access Service in the ANSI layout
// of Windows 95 / NT 4.0, defined here with the sizes that layout has; the
// size field of each record selects that layout at the service.
#pragma once
#include <windows.h>

#include <cstdint>

namespace vx::ras {

typedef HANDLE HRASCONN;

#pragma pack(push, 4)
struct RasDialParams {
    DWORD dwSize;
    CHAR szEntryName[257];
    CHAR szPhoneNumber[129];
    CHAR szCallbackNumber[129];
    CHAR szUserName[257];
    CHAR szPassword[257];
    CHAR szDomain[16];
};

struct RasEntryName {
    DWORD dwSize;
    CHAR szEntryName[257];
};

struct RasConnStatus {
    DWORD dwSize;
    DWORD rasconnstate;
    DWORD dwError;
    CHAR szDeviceType[17];
    CHAR szDeviceName[129];
};
#pragma pack(pop)

// Holds a handle, so it takes the natural alignment of the architecture.
struct RasConn {
    DWORD dwSize;
    HRASCONN hrasconn;
    CHAR szEntryName[257];
    CHAR szDeviceType[17];
    CHAR szDeviceName[129];
};

static_assert(sizeof(RasDialParams) == 1052, "RASDIALPARAMS layout");
static_assert(sizeof(RasEntryName) == 264, "RASENTRYNAME layout");
static_assert(sizeof(RasConnStatus) == 160, "RASCONNSTATUS layout");
#if defined(_WIN64)
static_assert(sizeof(RasConn) == 424, "RASCONN layout (64-bit)");
#else
static_assert(sizeof(RasConn) == 412, "RASCONN layout (32-bit)");
#endif

const DWORD kErrorInvalidHandle = 6;
const DWORD kErrorBufferTooSmall = 603;
const DWORD kRasConnected = 0x2000;
const DWORD kRasDisconnected = 0x2001;
const UINT kWmRasDialEvent = 0xCCCD;  // message number the service passes to the notifier

typedef VOID(WINAPI* RasDialFunc)(UINT unMsg, DWORD rasconnstate, DWORD dwError);
typedef DWORD(WINAPI* PRasDialA)(void* extensions, LPCSTR phonebook, RasDialParams* params, DWORD notifierType,
                                 void* notifier, HRASCONN* conn);
typedef DWORD(WINAPI* PRasEnumEntriesA)(LPCSTR reserved, LPCSTR phonebook, RasEntryName* entries, DWORD* cb,
                                        DWORD* count);
typedef DWORD(WINAPI* PRasEnumConnectionsA)(RasConn* conns, DWORD* cb, DWORD* count);
typedef DWORD(WINAPI* PRasGetConnectStatusA)(HRASCONN conn, RasConnStatus* status);
typedef DWORD(WINAPI* PRasGetErrorStringA)(UINT error, LPSTR buffer, DWORD size);
typedef DWORD(WINAPI* PRasHangUpA)(HRASCONN conn);
typedef DWORD(WINAPI* PRasGetEntryDialParamsA)(LPCSTR phonebook, RasDialParams* params, BOOL* password);

}  // namespace vx::ras
