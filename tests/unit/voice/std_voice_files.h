// IVoiceFiles on the C library's streams, for the native tests of the voice
// path (the product reaches its files through Win32 handles).
#pragma once
#include "capictrl/core/voicefile.h"

namespace vx {

class StdVoiceFiles : public IVoiceFiles {
public:
    std::unique_ptr<IVoiceFile> Open(const std::string& name, Mode mode, int& error) override;
    bool Exists(const std::string& name) override;
};

}  // namespace vx
