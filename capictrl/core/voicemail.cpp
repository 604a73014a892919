#include "capictrl/core/voicemail.h"

#include <algorithm>
#include <exception>

#include "base/errors.h"
#include "capictrl/core/capimessage.h"
#include "capictrl/core/capitexts.h"

namespace vx {

namespace {

std::string Dec(uint32_t v) { return std::to_string(v); }

}  // namespace

void TVoiceMail::PrepareVoiceMailFiles(TVoiceMailState& s, const std::string& playFileName,
                                       const std::string& recFileName, TVoiceMailFileFormat recordFormat) {
    s.PlayFile = playFileName;
    s.RecordFile = recFileName;
    // A new call: blocks of an earlier one are no longer the library's.
    for (Slot& slot : slots_) slot.busy = false;
    std::exception_ptr failure;
    try {
        CreateRecordFile(files_, s.RecordFile, recordFormat, s.RecordTotal, s.RecordStopped);
    } catch (...) {
        failure = std::current_exception();
    }
    if (!PlayFileUsable(files_, s.PlayFile)) s.PlayDone = true;
    if (failure) std::rethrow_exception(failure);
}

int TVoiceMail::BlocksInFlight() const {
    return int(std::count_if(slots_.begin(), slots_.end(), [](const Slot& x) { return x.busy; }));
}

bool TVoiceMail::ReadConf(const TVoiceCall& c, IVoiceLink& link, const TCapiMessage* conf, bool& proceed) {
    (void)c;
    proceed = true;
    if (!conf) return true;
    TCapiReader r(*conf);
    uint32_t ncci = 0;
    uint16_t handle = 0, info = 0;
    if (!r.Dword(ncci) || !r.Word(handle) || !r.Word(info)) {
        proceed = false;
        return false;
    }
    for (Slot& slot : slots_)
        if (slot.busy && slot.handle == handle) slot.busy = false;
    if (link.Tracing())
        link.TraceReceived(" NCCI: " + Dec(ncci) + " Data handle: " + Dec(handle) + " Info: " + CapiInfoText(info));
    if (info != 0) proceed = false;
    return true;
}

TVoiceMail::Slot& TVoiceMail::FreeSlot() {
    for (int i = 0; i < kSlots; ++i) {
        Slot& slot = slots_[(next_ + i) % kSlots];
        if (!slot.busy) {
            next_ = (next_ + i + 1) % kSlots;
            return slot;
        }
    }
    // Every block still marked as lent: the oldest is reused.
    Slot& slot = slots_[next_];
    next_ = (next_ + 1) % kSlots;
    return slot;
}

void TVoiceMail::Send(TVoiceMailState& s, const TVoiceCall& c, IVoiceLink& link, Slot& slot, int16_t errorNumber) {
    const uint16_t handle = s.DataHandle;
    uint32_t result = link.SendDataB3Req(c.NCCI, slot.data.data(), kVoiceBlockLineBytes, handle);
    s.DataHandle = uint16_t((s.DataHandle + 1) & 0x3FF);
    if (result == 0) {
        slot.busy = true;
        slot.handle = handle;
    } else {
        link.ErrorMessage(errorNumber, "DATA_B3_REQ " + CapiInfoText(uint16_t(result)));
    }
    if (link.Tracing())
        link.TraceSent(" NCCI: " + Dec(c.NCCI) + " Data Length: " + Dec(kVoiceBlockLineBytes) +
                       " Data Handle: " + Dec(handle) + " Flags: 0");
}

bool TVoiceMail::PlayVoiceMailBlock(TVoiceMailState& s, const TVoiceCall& c, IVoiceLink& link,
                                    const TCapiMessage* conf) {
    bool proceed = true;
    if (!ReadConf(c, link, conf, proceed)) return false;
    if (!proceed) return true;
    if (s.PlayDone || c.DisconnectRequested || c.PhoneConversation) return true;
    Slot& slot = FreeSlot();
    if (!ReadPlayBlock(files_, s.PlayFile, c.PlayFormat, c.AudioFormat, s.PlayOffset, slot.data.data())) {
        s.PlayDone = true;
        return true;
    }
    Send(s, c, link, slot, 22);
    return true;
}

bool TVoiceMail::SendMicrophoneBlock(TVoiceMailState& s, const TVoiceCall& c, IVoiceLink& link,
                                     const TCapiMessage* conf, const int16_t* microphone) {
    bool proceed = true;
    if (!ReadConf(c, link, conf, proceed)) return false;
    if (!proceed) return true;
    if (!c.AppIsRegistered || !c.IsConnected || !c.PhoneConversation || c.DisconnectRequested) return true;
    Slot& slot = FreeSlot();
    // A line of unknown law gets A-law, the control's default law.
    PcmToIsdnAlaw(microphone, slot.data.data(), kVoiceBlockSamples);
    if (c.AudioFormat == afULAW) AlawToUlaw(slot.data.data(), kVoiceBlockLineBytes);
    Send(s, c, link, slot, 20);
    link.ProcessMessages();
    return true;
}

bool TVoiceMail::DataB3Ind(TVoiceMailState& s, const TVoiceCall& c, IVoiceLink& link, const TCapiMessage& ind) {
    TDataB3Ind d;
    if (!ReadDataB3Ind(ind, d)) return false;
    if (link.Tracing())
        link.TraceReceived(" NCCI: " + Dec(d.NCCI) + " Data Length: " + Dec(d.DataLength) + " Data Handle: " +
                           Dec(d.DataHandle) + " Flags: " + Dec(d.Flags));
    // Blocks are registered at 2048 bytes at most; a longer length is not
    // trusted beyond that.
    const int n = d.Data ? std::min<int>(d.DataLength, kVoiceBlockLineBytes) : 0;
    std::exception_ptr failure;
    if (!s.RecordStopped && !c.PhoneConversation) {
        try {
            RecordLineBlock(files_, s.RecordFile, c.RecordFormat, c.AudioFormat, d.Data, n, PcmBlock, s.RecordTotal,
                            s.RecordStopped);
        } catch (...) {
            // Raised once the block is given back: a library short of
            // buffers would stop delivering the call's audio.
            failure = std::current_exception();
        }
    }
    if (c.PhoneConversation) {
        if (c.AudioFormat == afULAW) UlawToAlaw(d.Data, n);
        IsdnAlawToPcm(d.Data, PcmBlock, n);
        // A short block: silence after its samples, not the last block's.
        std::fill(PcmBlock + n, PcmBlock + kVoiceBlockSamples, int16_t(0));
        link.FeedSpeaker(PcmBlock);
    }
    uint32_t result = link.SendDataB3Resp(d.NCCI, d.DataHandle);
    if (result != 0) link.ErrorMessage(17, "DATA_B3_RESP " + CapiInfoText(uint16_t(result)));
    if (link.Tracing()) link.TraceSent(" NCCI: " + Dec(d.NCCI) + " Data Handle: " + Dec(d.DataHandle));
    if (failure) std::rethrow_exception(failure);
    return true;
}

}  // namespace vx
