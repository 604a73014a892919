// The voice path of a control on Win32: voice-mail files on Win32 handles
// and the phone-conversation sound object (TCapiSound) of the host thread.
#pragma once
#include <memory>

#include "capictrl/core/capivoice.h"

namespace vx {

// Sound objects made of TCapiSound: recorder and player on the default
// wave devices, created on the calling (host) thread.
class TWin32ConversationDevices : public IConversationDevices {
public:
    std::unique_ptr<IConversationSound> CreateSound(uint32_t speakerBytes,
                                                    std::function<void(const uint8_t*)> onMicrophone) override;
};

// The whole voice path of one engine, to be attached to it.
std::unique_ptr<TCapiVoice> CreateWin32VoicePath(TCapiCtrl& ctrl, ICapiHost& host);

}  // namespace vx
