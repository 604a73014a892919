// IFileSystem on Win32 handles. A file open for writing may be read, not
// written, by another opening (FILE_SHARE_READ), as the monitor's text files
// are read by other programs while it writes them.
#include "base/stdfiles.h"

#include <windows.h>

#include <algorithm>

#include "base/win32/text.h"

namespace vx {

namespace {

HANDLE OpenRead(const std::string& path) {
    return CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

int Kod() {
    DWORD e = GetLastError();
    return e ? static_cast<int>(e) : ERROR_GEN_FAILURE;
}

}  // namespace

bool StdFileSystem::Exists(const std::string& path) {
    DWORD a = GetFileAttributesW(WidePath(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

static int64_t Ticks(const FILETIME& t) {
    return static_cast<int64_t>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
}

namespace {

// The attributes of a file asked by its name (documented for drivers as
// ZwQueryFullAttributesFile): what GetFileAttributesEx answers with, and the
// change time it leaves out. No opening: under Wine no round trip to the
// server, which a call's lookup would otherwise wait for several times.
struct UnicodeString {
    USHORT Length, MaximumLength;
    PWSTR Buffer;
};
struct ObjectAttributes {
    ULONG Length;
    HANDLE RootDirectory;
    UnicodeString* ObjectName;
    ULONG Attributes;
    void* SecurityDescriptor;
    void* SecurityQualityOfService;
};
struct NetworkOpenInformation {
    LARGE_INTEGER CreationTime, LastAccessTime, LastWriteTime, ChangeTime, AllocationSize, EndOfFile;
    ULONG FileAttributes;
};
const ULONG kObjCaseInsensitive = 0x40;

template <class Fn>
Fn Ntdll(const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name)));
}

}  // namespace

bool StdFileSystem::Stamp(const std::string& path, TFileStamp& out) {
    using FullFn = LONG(WINAPI*)(ObjectAttributes*, NetworkOpenInformation*);
    using NtPathFn = BOOLEAN(WINAPI*)(PCWSTR, UnicodeString*, PWSTR*, void*);
    using FreeFn = void(WINAPI*)(UnicodeString*);
    static const FullFn full = Ntdll<FullFn>("NtQueryFullAttributesFile");
    static const NtPathFn ntPath = Ntdll<NtPathFn>("RtlDosPathNameToNtPathName_U");
    static const FreeFn freeString = Ntdll<FreeFn>("RtlFreeUnicodeString");
    // Without them no stamp: the readers then read the file every time.
    if (!full || !ntPath || !freeString) return false;
    UnicodeString nazov{};
    if (!ntPath(WidePath(path).c_str(), &nazov, nullptr, nullptr)) return false;
    ObjectAttributes oa{sizeof(ObjectAttributes), nullptr, &nazov, kObjCaseInsensitive, nullptr, nullptr};
    NetworkOpenInformation i;
    const bool ok = full(&oa, &i) >= 0 && !(i.FileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    freeString(&nazov);
    if (!ok) return false;
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    out.Size = i.EndOfFile.QuadPart;
    out.WriteTime = i.LastWriteTime.QuadPart;
    // The change time is kept by the system alone: setting the write time
    // back does not set it back, and putting another file in the place of
    // this one changes it.
    out.ChangeTime = i.ChangeTime.QuadPart;
    out.Identity[0] = static_cast<uint64_t>(i.CreationTime.QuadPart);
    out.Identity[1] = 0;
    out.Now = Ticks(now);
    return true;
}

int64_t StdFileSystem::Size(const std::string& path) {
    HANDLE h = OpenRead(path);
    if (h == INVALID_HANDLE_VALUE) {
        Fail(Kod());
        return -1;
    }
    LARGE_INTEGER sz;
    int64_t r = GetFileSizeEx(h, &sz) ? sz.QuadPart : -1;
    if (r < 0) Fail(Kod());
    CloseHandle(h);
    return r;
}

bool StdFileSystem::ReadAll(const std::string& path, std::string& out) {
    HANDLE h = OpenRead(path);
    if (h == INVALID_HANDLE_VALUE) {
        Fail(Kod());
        return false;
    }
    out.clear();
    // One allocation of the whole size: growing the text block by block is
    // what made a lookup in a large address book slow.
    LARGE_INTEGER sz;
    if (GetFileSizeEx(h, &sz) && sz.QuadPart > 0 && sz.QuadPart < (1LL << 31))
        out.reserve(static_cast<size_t>(sz.QuadPart));
    char buf[65536];
    DWORD n = 0;
    bool ok = true;
    for (;;) {
        if (!ReadFile(h, buf, sizeof buf, &n, nullptr)) {
            Fail(Kod());
            ok = false;
            break;
        }
        if (n == 0) break;
        out.append(buf, n);
    }
    CloseHandle(h);
    return ok;
}

bool StdFileSystem::ReadRange(const std::string& path, int64_t offset, size_t count, std::string& out) {
    out.clear();
    if (offset < 0) {
        Fail(ERROR_NEGATIVE_SEEK);
        return false;
    }
    HANDLE h = OpenRead(path);
    if (h == INVALID_HANDLE_VALUE) {
        Fail(Kod());
        return false;
    }
    LARGE_INTEGER at;
    at.QuadPart = offset;
    bool ok = SetFilePointerEx(h, at, nullptr, FILE_BEGIN) != 0;
    if (!ok) Fail(Kod());
    if (ok) {
        out.resize(count);
        size_t have = 0;
        while (have < count) {
            DWORD n = 0;
            DWORD chunk = static_cast<DWORD>(std::min<size_t>(count - have, 1 << 20));
            if (!ReadFile(h, &out[have], chunk, &n, nullptr)) {
                Fail(Kod());
                ok = false;
                break;
            }
            if (n == 0) break;
            have += n;
        }
        out.resize(have);
    }
    CloseHandle(h);
    return ok;
}

static bool WriteAllTo(HANDLE h, const std::string& data) {
    size_t off = 0;
    while (off < data.size()) {
        DWORD n = 0;
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(data.size() - off, 1 << 20));
        if (!WriteFile(h, data.data() + off, chunk, &n, nullptr)) return false;
        if (n == 0) {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
        off += n;
    }
    return true;
}

bool StdFileSystem::WriteAll(const std::string& path, const std::string& data) {
    HANDLE h = CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        Fail(Kod());
        return false;
    }
    bool ok = WriteAllTo(h, data);
    if (!ok) Fail(Kod());
    if (!CloseHandle(h) && ok) {
        Fail(Kod());
        ok = false;
    }
    return ok;
}

namespace {

// Sets the file's length back to size (through a writing opening of its own:
// an appending one may not shorten the file).
bool CutBack(const std::string& path, int64_t size) {
    HANDLE h = CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER at;
    at.QuadPart = size;
    const bool ok = SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && SetEndOfFile(h);
    const DWORD e = GetLastError();
    CloseHandle(h);
    SetLastError(e);
    return ok;
}

// Writes data at the end of the open file h; a write cut short (a full disk)
// is taken back once h is closed, so that no torn record stays. Returns 0 or
// the system's error code.
int AppendTo(HANDLE h, bool created, const std::string& path, const std::string& data) {
    LARGE_INTEGER before;
    if (!GetFileSizeEx(h, &before)) before.QuadPart = -1;
    int err = 0;
    if (!WriteAllTo(h, data)) err = Kod();
    LARGE_INTEGER after;
    const bool torn = err && before.QuadPart >= 0 && GetFileSizeEx(h, &after) && after.QuadPart != before.QuadPart;
    CloseHandle(h);
    if (err && created)
        DeleteFileW(WidePath(path).c_str());  // no file that was not there
    else if (torn)
        CutBack(path, before.QuadPart);
    SetLastError(static_cast<DWORD>(err));
    return err;
}

}  // namespace

int StdFileSystem::Append(const std::string& path, const std::string& data) {
    HANDLE h = CreateFileW(WidePath(path).c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        Fail(Kod());
        return -1;
    }
    const int err = AppendTo(h, GetLastError() != ERROR_ALREADY_EXISTS, path, data);
    return err ? Fail(err) : 0;
}

int StdFileSystem::AppendLine(const std::string& path, const std::string& line) {
    // Read access beside the appending one, to see the file's last byte on
    // the same opening that appends.
    HANDLE h = CreateFileW(WidePath(path).c_str(), FILE_READ_DATA | FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return Append(path, line + "\r\n");  // no read access: append as it is
    const bool created = GetLastError() != ERROR_ALREADY_EXISTS;
    bool glued = false;
    LARGE_INTEGER sz, at;
    if (GetFileSizeEx(h, &sz) && sz.QuadPart > 0) {
        at.QuadPart = sz.QuadPart - 1;
        char c = 0;
        DWORD n = 0;
        if (SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && ReadFile(h, &c, 1, &n, nullptr) && n == 1)
            glued = c != '\n' && c != '\r';
    }
    LARGE_INTEGER zero;
    zero.QuadPart = 0;
    SetFilePointerEx(h, zero, nullptr, FILE_END);
    const int err = AppendTo(h, created, path, (glued ? "\r\n" : "") + line + "\r\n");
    return err ? Fail(err) : 0;
}

bool StdFileSystem::Flush(const std::string& path) {
    HANDLE h = CreateFileW(WidePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        Fail(Kod());
        return false;
    }
    const bool ok = FlushFileBuffers(h) != 0;
    if (!ok) Fail(Kod());
    CloseHandle(h);
    return ok;
}

bool StdFileSystem::Truncate(const std::string& path, int64_t size) {
    if (CutBack(path, size)) return true;
    Fail(Kod());
    return false;
}

bool StdFileSystem::Rename(const std::string& from, const std::string& to) {
    if (MoveFileW(WidePath(from).c_str(), WidePath(to).c_str())) return true;
    Fail(Kod());
    return false;
}

bool StdFileSystem::Replace(const std::string& from, const std::string& to) {
    if (MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    Fail(Kod());
    return false;
}

bool StdFileSystem::Remove(const std::string& path) {
    if (DeleteFileW(WidePath(path).c_str())) return true;
    Fail(Kod());
    return false;
}

}  // namespace vx
