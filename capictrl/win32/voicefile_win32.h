// IVoiceFiles on Win32 handles: names in code page 1250 converted at the
// boundary. A file being recorded may be read meanwhile by other programs.
#pragma once
#include "capictrl/core/voicefile.h"

namespace vx {

class Win32VoiceFiles : public IVoiceFiles {
public:
    std::unique_ptr<IVoiceFile> Open(const std::string& name, Mode mode, int& error) override;
    bool Exists(const std::string& name) override;
};

}  // namespace vx
