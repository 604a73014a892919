#include "tests/wine/inspector/inspector.h"

#include <shellapi.h>

#include <winsock2.h>

#include "base/win32/text.h"
#include "monitor/win32/ids.h"
#include "widgets/stringgrid.h"

namespace vx::inspector {

namespace {
const UINT kQueryCell = VXGM_QUERYCELL;
const UINT kGetSelection = VXGM_GETSELECTION;
const int kGrid = ids::kGrid;
const UINT kTrayMessage = ids::kIkonaSprava;

struct Hladanie {
    int id;
    HWND found;
};

BOOL CALLBACK NajdiId(HWND w, LPARAM lp) {
    auto* h = reinterpret_cast<Hladanie*>(lp);
    if (GetDlgCtrlID(w) == h->id) {
        h->found = w;
        return FALSE;
    }
    return TRUE;
}

struct Pocitanie {
    const wchar_t* cls;
    int n;
};

BOOL CALLBACK PocitajTriedu(HWND w, LPARAM lp) {
    auto* p = reinterpret_cast<Pocitanie*>(lp);
    wchar_t name[64];
    if (GetClassNameW(w, name, 64) && lstrcmpW(name, p->cls) == 0) ++p->n;
    return TRUE;
}

struct OknoHladanie {
    DWORD pid;
    const wchar_t *trieda, *titul;
    HWND found;
};

BOOL CALLBACK NajdiOkno(HWND w, LPARAM lp) {
    auto* d = reinterpret_cast<OknoHladanie*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != d->pid || !IsWindowVisible(w)) return TRUE;
    wchar_t name[64];
    if (d->trieda && !(GetClassNameW(w, name, 64) && lstrcmpW(name, d->trieda) == 0)) return TRUE;
    if (d->titul) {
        wchar_t t[256] = {};
        GetWindowTextW(w, t, 256);
        if (!wcsstr(t, d->titul)) return TRUE;
    }
    d->found = w;
    return FALSE;
}

BOOL CALLBACK NajdlhsiText(HWND w, LPARAM lp) {
    auto* best = reinterpret_cast<std::string*>(lp);
    wchar_t name[64];
    if (GetClassNameW(w, name, 64) && lstrcmpiW(name, L"Static") == 0) {
        std::string t = TextOkna(w);
        if (t.size() > best->size()) *best = t;
    }
    return TRUE;
}

bool g_wsa = false;
void Winsock() {
    if (!g_wsa) {
        WSADATA d;
        g_wsa = WSAStartup(MAKEWORD(2, 2), &d) == 0;
    }
}
}  // namespace

bool CakajNa(const std::function<bool()>& cond, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (cond()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(20);
    }
}

HWND HlavneOkno() { return FindWindowW(ids::kMainClass, nullptr); }

HWND CakajNaHlavneOkno(DWORD timeoutMs) {
    HWND w = nullptr;
    CakajNa([&] {
        w = HlavneOkno();
        return w && IsWindowVisible(w);
    }, timeoutMs);
    return w && IsWindowVisible(w) ? w : nullptr;
}

HWND OknoCID() { return FindWindowW(ids::kCidClass, nullptr); }

int PocetOkien(const wchar_t* className) {
    Pocitanie p{className, 0};
    EnumWindows(PocitajTriedu, reinterpret_cast<LPARAM>(&p));
    return p.n;
}

HWND Potomok(HWND root, int id) {
    if (!root) return nullptr;
    Hladanie h{id, nullptr};
    EnumChildWindows(root, NajdiId, reinterpret_cast<LPARAM>(&h));
    return h.found;
}

HWND Fokus(HWND w) {
    if (!w) return nullptr;
    GUITHREADINFO g{};
    g.cbSize = sizeof(g);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(w, nullptr), &g)) return nullptr;
    return g.hwndFocus;
}

std::string TextOkna(HWND w) {
    if (!w) return std::string();
    DWORD_PTR n = 0;
    if (!SendMessageTimeoutW(w, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &n)) return std::string();
    std::wstring buf(static_cast<size_t>(n) + 1, L'\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(w, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(&buf[0]), SMTO_ABORTIFHUNG, 5000,
                             &got))
        return std::string();
    buf.resize(static_cast<size_t>(got));
    return Narrow(buf);
}

std::string Text(HWND root, int id) { return TextOkna(Potomok(root, id)); }

bool Viditelny(HWND root, int id) {
    HWND w = Potomok(root, id);
    return w && (GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE) != 0;
}

std::string Bunka(HWND main, int col, int row) {
    HWND g = Potomok(main, kGrid);
    DWORD_PTR ok = 0;
    if (!g || !SendMessageTimeoutW(g, kQueryCell, static_cast<WPARAM>(col), row, SMTO_ABORTIFHUNG, 5000, &ok) || !ok)
        return "<no cell>";
    return TextOkna(g);
}

DWORD VyberMriezky(HWND main) {
    HWND g = Potomok(main, kGrid);
    DWORD_PTR r = 0;
    if (!g || !SendMessageTimeoutW(g, kGetSelection, 0, 0, SMTO_ABORTIFHUNG, 5000, &r)) return 0xFFFFFFFF;
    return static_cast<DWORD>(r);
}

void KlikNaIkonu(HWND main, UINT mouseMessage) { PostMessageW(main, kTrayMessage, 1, mouseMessage); }

namespace {
BOOL IkonaMonitora(HWND main, DWORD sprava) {
    NOTIFYICONDATAW d{};
    d.cbSize = NOTIFYICONDATAW_V1_SIZE;
    d.hWnd = main;
    d.uID = 1;
    d.uFlags = 0;
    return Shell_NotifyIconW(sprava, &d);
}
}  // namespace

bool IkonaVOblasti(HWND main) { return IkonaMonitora(main, NIM_MODIFY) != FALSE; }
bool OdoberIkonu(HWND main) { return IkonaMonitora(main, NIM_DELETE) != FALSE; }

namespace {
const wchar_t kOblast[] = L"Shell_TrayWnd";
}  // namespace

bool TNahradnaOblast::Zacni() {
    if (vlakno_) return false;
    pripravene_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    vlakno_ = CreateThread(nullptr, 0, Vlakno, this, 0, nullptr);
    if (!vlakno_) return false;
    WaitForSingleObject(pripravene_, 10000);
    // The system's lookup: the first window of the class in z-order.
    return okno_ && FindWindowExW(nullptr, nullptr, kOblast, nullptr) == okno_;
}

void TNahradnaOblast::Zrus() {
    if (!vlakno_) return;
    if (okno_) PostMessageW(okno_, WM_CLOSE, 0, 0);
    WaitForSingleObject(vlakno_, INFINITE);
    CloseHandle(vlakno_);
    CloseHandle(pripravene_);
    vlakno_ = pripravene_ = nullptr;
    UnregisterClassW(kOblast, GetModuleHandleW(nullptr));
}

int TNahradnaOblast::Pocet(DWORD request) const {
    return request < 3 ? static_cast<int>(InterlockedCompareExchange(const_cast<LONG*>(&pocty_[request]), 0, 0)) : 0;
}

DWORD WINAPI TNahradnaOblast::Vlakno(LPVOID arg) {
    auto* self = static_cast<TNahradnaOblast*>(arg);
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kOblast;
    RegisterClassW(&wc);
    // Topmost and made last: in front of the shell's own window of the class.
    self->okno_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kOblast, nullptr, WS_POPUP, 0, 0, 0, 0, nullptr,
                                  nullptr, wc.hInstance, nullptr);
    if (self->okno_) SetWindowLongPtrW(self->okno_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    SetEvent(self->pripravene_);
    if (!self->okno_) return 1;
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) DispatchMessageW(&m);
    return 0;
}

LRESULT CALLBACK TNahradnaOblast::Proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<TNahradnaOblast*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (self && msg == WM_COPYDATA) {
        const DWORD request = static_cast<DWORD>(reinterpret_cast<const COPYDATASTRUCT*>(lp)->dwData);
        if (request < 3) InterlockedIncrement(&self->pocty_[request]);
        if (self->PriPoziadavke) self->PriPoziadavke(request);
        return FALSE;
    }
    if (msg == WM_CLOSE) {
        if (self) self->okno_ = nullptr;
        DestroyWindow(h);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(h, msg, wp, lp);
}

void Prikaz(HWND main, UINT id) { PostMessageW(main, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

HWND OknoProcesu(DWORD pid, const wchar_t* trieda, const wchar_t* castTitulu) {
    OknoHladanie d{pid, trieda, castTitulu, nullptr};
    EnumWindows(NajdiOkno, reinterpret_cast<LPARAM>(&d));
    return d.found;
}

HWND DialogProcesu(DWORD pid) { return OknoProcesu(pid, L"#32770", nullptr); }

std::string TextSpravy(HWND box) {
    std::string best;
    EnumChildWindows(box, NajdlhsiText, reinterpret_cast<LPARAM>(&best));
    return best;
}

bool Proces::Bezi() const { return pi.hProcess && WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT; }

bool Proces::CakajNaKoniec(DWORD timeoutMs) const {
    return pi.hProcess && WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

DWORD Proces::KodKonca() const {
    DWORD code = STILL_ACTIVE;
    if (pi.hProcess) GetExitCodeProcess(pi.hProcess, &code);
    return code;
}

void Proces::Ukonci() {
    if (Bezi()) {
        TerminateProcess(pi.hProcess, 99);
        WaitForSingleObject(pi.hProcess, 10000);
    }
}

void Proces::Zatvor() {
    if (pi.hProcess) CloseHandle(pi.hProcess);
    if (pi.hThread) CloseHandle(pi.hThread);
    pi = PROCESS_INFORMATION{};
}

Proces Spusti(const std::wstring& exe, const std::wstring& dir) {
    Proces p;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    std::wstring cmd = L"\"" + exe + L"\"";
    if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &si, &p.pi))
        p.pi = PROCESS_INFORMATION{};
    return p;
}

std::string CitajSubor(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::string();
    std::string out;
    char buf[4096];
    DWORD n;
    while (ReadFile(h, buf, sizeof(buf), &n, nullptr) && n > 0) out.append(buf, n);
    CloseHandle(h);
    return out;
}

bool ZapisSubor(const std::wstring& path, const std::string& data) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD n = 0;
    BOOL ok = WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &n, nullptr);
    CloseHandle(h);
    return ok && n == data.size();
}

std::vector<std::string> Riadky(const std::string& text) {
    std::vector<std::string> out;
    std::string cur;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            out.push_back(cur);
            cur.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            cur += c;
        }
    }
    if (!cur.empty()) out.push_back(cur);
    return out;
}

bool PosliDatagram(unsigned short port, const std::string& data) {
    Winsock();
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) return false;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int n = sendto(s, data.data(), static_cast<int>(data.size()), 0, reinterpret_cast<sockaddr*>(&a), sizeof(a));
    closesocket(s);
    return n == static_cast<int>(data.size());
}

unsigned short VolnyPort() {
    Winsock();
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(s, reinterpret_cast<sockaddr*>(&a), sizeof(a));
    int len = sizeof(a);
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    closesocket(s);
    return ntohs(a.sin_port);
}

std::wstring CestaWine(const std::string& unixPath) {
    std::wstring w = L"Z:";
    for (char c : unixPath) w += c == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(c));
    return w;
}

}  // namespace vx::inspector
