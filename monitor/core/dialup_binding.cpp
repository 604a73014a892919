#include "monitor/core/dialup_binding.h"

#include "base/errors.h"

namespace vx {

void* TRasBinding::GetRasProc(const std::string& name) {
    if (!bound_) {
        library_ = loader_.Load("rasapi32.dll");
        if (!library_) throw Exception("Error opening rasapi.dll");
        void* p = loader_.Find(library_, name + "A");
        if (!p) p = loader_.Find(library_, name);
        if (p) {
            bound_ = true;
            return p;
        }
        // rasapi32.dll stays loaded; the fallback's handle takes its place.
        library_ = loader_.Load("rnaph.dll");
        if (!library_) throw Exception("Error opening rnaph.dll");
        p = loader_.Find(library_, name);
        if (!p) throw Exception("Function " + name + " not found!");
        bound_ = true;
        fallback_ = true;
        return p;
    }
    void* p = nullptr;
    if (fallback_) {
        p = loader_.Find(library_, name);
    } else {
        p = loader_.Find(library_, name + "A");
        if (!p) p = loader_.Find(library_, name);
    }
    if (!p) throw Exception("Function " + name + " not found!");
    return p;
}

void TRasBinding::Release() {
    if (fallback_ && library_) loader_.Free(library_);
    library_ = nullptr;
    bound_ = fallback_ = false;
}

}  // namespace vx
