#include "capictrl/win32/comerror.h"

#include <new>

#include "base/win32/systemtext.h"
#include "base/win32/text.h"

namespace vx {

void SetComError(REFIID iid, const std::string& description) {
    ICreateErrorInfo* create = nullptr;
    if (FAILED(CreateErrorInfo(&create)) || !create) return;
    std::wstring text = Wide(description);
    create->SetGUID(iid);
    create->SetSource(const_cast<LPOLESTR>(L"LinkorCtrl.Linkor"));
    create->SetDescription(const_cast<LPOLESTR>(text.c_str()));
    create->SetHelpContext(0);
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info))) && info) {
        SetErrorInfo(0, info);
        info->Release();
    }
    create->Release();
}

std::string SystemMessage(HRESULT hr) {
    std::wstring text = SystemText(static_cast<DWORD>(hr));
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
    return text.empty() ? OleErrorText(hr) : Narrow(text);
}

HRESULT ReportCurrentException(REFIID iid, HRESULT fallback) {
    try {
        throw;
    } catch (const EOleSysError& e) {
        SetComError(iid, e.Message());
        return FAILED(e.ErrorCode) ? e.ErrorCode : fallback;
    } catch (const std::bad_alloc&) {
        SetComError(iid, "Out of memory");
        return E_OUTOFMEMORY;
    } catch (const std::exception& e) {
        SetComError(iid, e.what());
        return fallback;
    } catch (...) {
        SetComError(iid, "Unexpected failure");
        return fallback;
    }
}

}  // namespace vx
