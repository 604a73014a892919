#include "capictrl/core/persist.h"

#include <cstring>

#include "base/pascal.h"

namespace vx {

const char* const kLinkorClassName = "TLinkorCtrl";
const char* const kLinkorObjectName = "LinkorCtrl";

const char* const kLinkorStoredNames[20] = {
    "PlayFileName",           "RecFileName",           "VoiceMailRecordFormat",  "VoiceMailPlayFormat",
    "SpeakerBuffer",          "PhoneConversation",     "AnalogCallsListen",      "ListenAllCalls",
    "AcceptPhoneCall",        "UpdateClock",           "CapiDLL",                "MaxLogicalConnections",
    "OriginatorNumber",       "DestinationNumber",     "CalledPartyNumberByte0", "CallingPartyNumberByte0",
    "CallingPartyNumberByte1", "NumberDataBuffers",    "AudioFormat",            "ClearCall",
};

// ---------------------------------------------------------------- values

TStreamValue TStreamValue::MakeInt(int32_t v) {
    TStreamValue r;
    r.kind = Integer;
    r.Int = v;
    return r;
}
TStreamValue TStreamValue::MakeText(const std::string& v) {
    TStreamValue r;
    r.kind = Text;
    r.Str = v;
    return r;
}
TStreamValue TStreamValue::MakeIdent(const std::string& v) {
    TStreamValue r;
    r.kind = Ident;
    r.Str = v;
    return r;
}
TStreamValue TStreamValue::MakeBool(bool v) {
    TStreamValue r;
    r.kind = Boolean;
    r.Bool = v;
    return r;
}
TStreamValue TStreamValue::MakeSet(const std::vector<std::string>& v) {
    TStreamValue r;
    r.kind = Set;
    r.Names = v;
    return r;
}
bool TStreamValue::operator==(const TStreamValue& o) const {
    if (kind != o.kind) return false;
    switch (kind) {
        case Integer: return Int == o.Int;
        case Text:
        case Ident: return Str == o.Str;
        case Boolean: return Bool == o.Bool;
        case Set: return Names == o.Names;
    }
    return false;
}

void TMemorySource::Read(void* buffer, size_t n) {
    if (n > data_.size() - pos_) throw EReadError("Stream read error");
    std::memcpy(buffer, data_.data() + pos_, n);
    pos_ += n;
}

// ---------------------------------------------------------------- writer

void TStreamWriter::Signature() { out_ += "TPF0"; }

void TStreamWriter::ShortString(const std::string& s) {
    size_t n = s.size() > 255 ? 255 : s.size();
    out_ += static_cast<char>(n);
    out_.append(s, 0, n);
}

void TStreamWriter::ListEnd() { out_ += '\0'; }

void TStreamWriter::Integer(int32_t v) {
    if (v >= -128 && v <= 127) {
        out_ += static_cast<char>(vaInt8);
        out_ += static_cast<char>(static_cast<uint8_t>(v));
    } else if (v >= -32768 && v <= 32767) {
        out_ += static_cast<char>(vaInt16);
        uint16_t u = static_cast<uint16_t>(v);
        out_ += static_cast<char>(u & 0xFF);
        out_ += static_cast<char>(u >> 8);
    } else {
        out_ += static_cast<char>(vaInt32);
        uint32_t u = static_cast<uint32_t>(v);
        for (int i = 0; i < 4; ++i) out_ += static_cast<char>((u >> (8 * i)) & 0xFF);
    }
}

void TStreamWriter::Text(const std::string& v) {
    if (v.size() <= 255) {
        out_ += static_cast<char>(vaString);
        ShortString(v);
    } else {
        out_ += static_cast<char>(vaLString);
        uint32_t n = static_cast<uint32_t>(v.size());
        for (int i = 0; i < 4; ++i) out_ += static_cast<char>((n >> (8 * i)) & 0xFF);
        out_ += v;
    }
}

void TStreamWriter::Ident(const std::string& v) {
    out_ += static_cast<char>(vaIdent);
    ShortString(v);
}

void TStreamWriter::Boolean(bool v) { out_ += static_cast<char>(v ? vaTrue : vaFalse); }

void TStreamWriter::Set(const std::vector<std::string>& names) {
    out_ += static_cast<char>(vaSet);
    for (const auto& n : names) ShortString(n);
    ShortString("");
}

void TStreamWriter::Value(const TStreamValue& v) {
    switch (v.kind) {
        case TStreamValue::Integer: Integer(v.Int); break;
        case TStreamValue::Text: Text(v.Str); break;
        case TStreamValue::Ident: Ident(v.Str); break;
        case TStreamValue::Boolean: Boolean(v.Bool); break;
        case TStreamValue::Set: Set(v.Names); break;
    }
}

void TStreamWriter::Property(const std::string& name, const TStreamValue& v) {
    ShortString(name);
    Value(v);
}

// ---------------------------------------------------------------- reader

uint8_t TStreamReader::Byte() {
    uint8_t b;
    in_.Read(&b, 1);
    return b;
}

void TStreamReader::Signature() {
    char sig[4];
    in_.Read(sig, 4);
    if (std::memcmp(sig, "TPF0", 4) != 0) throw EReadError("Invalid stream format");
}

std::string TStreamReader::ShortString() {
    uint8_t n = Byte();
    std::string s(n, '\0');
    if (n) in_.Read(&s[0], n);
    return s;
}

bool TStreamReader::EndOfList() {
    // The list end is a zero length byte, which is also where a name would
    // start; a name is never empty, so the byte decides.
    uint8_t b = Byte();
    if (b == 0) return true;
    pending_ = b;
    hasPending_ = true;
    return false;
}

TStreamValue TStreamReader::Value() {
    uint8_t tag = Byte();
    switch (tag) {
        case vaInt8: {
            int8_t v;
            in_.Read(&v, 1);
            return TStreamValue::MakeInt(v);
        }
        case vaInt16: {
            uint8_t b[2];
            in_.Read(b, 2);
            return TStreamValue::MakeInt(static_cast<int16_t>(b[0] | (b[1] << 8)));
        }
        case vaInt32: {
            uint8_t b[4];
            in_.Read(b, 4);
            uint32_t u = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
            return TStreamValue::MakeInt(static_cast<int32_t>(u));
        }
        case vaString: return TStreamValue::MakeText(ShortString());
        case vaLString: {
            uint8_t b[4];
            in_.Read(b, 4);
            uint32_t n = b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
            if (n > 0x7FFFFFFFu) throw EReadError("Invalid property value");
            // Read in pieces, so that a corrupt length fails at the stream's
            // end instead of reserving its size up front.
            std::string s;
            char chunk[4096];
            while (n > 0) {
                size_t k = n > sizeof chunk ? sizeof chunk : n;
                in_.Read(chunk, k);
                s.append(chunk, k);
                n -= static_cast<uint32_t>(k);
            }
            return TStreamValue::MakeText(s);
        }
        case vaIdent: return TStreamValue::MakeIdent(ShortString());
        case vaFalse: return TStreamValue::MakeBool(false);
        case vaTrue: return TStreamValue::MakeBool(true);
        case vaSet: {
            std::vector<std::string> names;
            for (;;) {
                std::string n = ShortString();
                if (n.empty()) break;
                names.push_back(n);
            }
            return TStreamValue::MakeSet(names);
        }
        default: throw EReadError("Invalid property value");
    }
}

std::string TStreamReader::Name() {
    if (hasPending_) {
        hasPending_ = false;
        std::string s(pending_, '\0');
        in_.Read(&s[0], pending_);
        return s;
    }
    return ShortString();
}

// ---------------------------------------------------------------- form

namespace {

int32_t AsInt(const TStreamValue& v) {
    if (v.kind != TStreamValue::Integer) throw EReadError("Invalid property value");
    return v.Int;
}
bool AsBool(const TStreamValue& v) {
    if (v.kind != TStreamValue::Boolean) throw EReadError("Invalid property value");
    return v.Bool;
}
std::string AsText(const TStreamValue& v) {
    if (v.kind != TStreamValue::Text) throw EReadError("Invalid property value");
    return v.Str;
}
// Colours and character sets are stored by name or by number.
const TStreamValue& AsIdentOrInt(const TStreamValue& v) {
    if (v.kind != TStreamValue::Ident && v.kind != TStreamValue::Integer) throw EReadError("Invalid property value");
    return v;
}
std::string AsBorderStyle(const TStreamValue& v) {
    if (v.kind == TStreamValue::Ident) {
        for (const char* n : {"afbNone", "afbSingle", "afbSunken", "afbRaised"})
            if (SameText(v.Str, n)) return n;
    }
    throw EReadError("Invalid property value");
}
std::vector<std::string> AsFontStyle(const TStreamValue& v) {
    if (v.kind != TStreamValue::Set) throw EReadError("Invalid property value");
    std::vector<std::string> out;
    for (const auto& name : v.Names) {
        bool known = false;
        for (const char* n : {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"})
            if (SameText(name, n)) {
                out.push_back(n);
                known = true;
            }
        if (!known) throw EReadError("Invalid property value");
    }
    return out;
}

// Applies one form property; false when the form has no such property.
bool ReadFormProperty(const std::string& name, const TStreamValue& v, TLinkorForm& f) {
    auto is = [&](const char* n) { return SameText(name, n); };
    if (is("Left")) f.Left = AsInt(v);
    else if (is("Top")) f.Top = AsInt(v);
    else if (is("Width")) f.Width = AsInt(v);
    else if (is("Height")) f.Height = AsInt(v);
    else if (is("HorzScrollBar.Color")) f.HorzScrollBarColor = AsIdentOrInt(v);
    else if (is("HorzScrollBar.ParentColor")) f.HorzScrollBarParentColor = AsBool(v);
    else if (is("AutoSize")) f.AutoSize = AsBool(v);
    else if (is("AxBorderStyle")) f.AxBorderStyle = AsBorderStyle(v);
    else if (is("Caption")) f.Caption = AsText(v);
    else if (is("Color")) f.Color = AsIdentOrInt(v);
    else if (is("Font.Charset")) f.FontCharset = AsIdentOrInt(v);
    else if (is("Font.Color")) f.FontColor = AsIdentOrInt(v);
    else if (is("Font.Height")) f.FontHeight = AsInt(v);
    else if (is("Font.Name")) f.FontName = AsText(v);
    else if (is("Font.Style")) f.FontStyle = AsFontStyle(v);
    else if (is("OldCreateOrder")) f.OldCreateOrder = AsBool(v);
    else if (is("PixelsPerInch")) f.PixelsPerInch = AsInt(v);
    else if (is("TextHeight")) f.TextHeight = AsInt(v);
    else return false;
    return true;
}

void WriteForm(TStreamWriter& w, const TLinkorForm& f) {
    w.Property("Left", TStreamValue::MakeInt(f.Left));
    w.Property("Top", TStreamValue::MakeInt(f.Top));
    w.Property("Width", TStreamValue::MakeInt(f.Width));
    w.Property("Height", TStreamValue::MakeInt(f.Height));
    w.Property("HorzScrollBar.Color", f.HorzScrollBarColor);
    w.Property("HorzScrollBar.ParentColor", TStreamValue::MakeBool(f.HorzScrollBarParentColor));
    w.Property("AutoSize", TStreamValue::MakeBool(f.AutoSize));
    w.Property("AxBorderStyle", TStreamValue::MakeIdent(f.AxBorderStyle));
    w.Property("Caption", TStreamValue::MakeText(f.Caption));
    w.Property("Color", f.Color);
    w.Property("Font.Charset", f.FontCharset);
    w.Property("Font.Color", f.FontColor);
    w.Property("Font.Height", TStreamValue::MakeInt(f.FontHeight));
    w.Property("Font.Name", TStreamValue::MakeText(f.FontName));
    w.Property("Font.Style", TStreamValue::MakeSet(f.FontStyle));
    w.Property("OldCreateOrder", TStreamValue::MakeBool(f.OldCreateOrder));
    w.Property("PixelsPerInch", TStreamValue::MakeInt(f.PixelsPerInch));
    w.Property("TextHeight", TStreamValue::MakeInt(f.TextHeight));
}

// ---------------------------------------------------------------- engine values

std::string Cut(const std::string& s) { return s.size() > kLinkorTextMax ? s.substr(0, kLinkorTextMax) : s; }

// Applies stored value number i (0-based) to the engine.
void ReadEngineValue(int i, const TStreamValue& v, ILinkorEngine& e) {
    TLinkorSettings& s = e.Settings();
    switch (i) {
        case 0: e.SetPlayFileName(Cut(AsText(v))); break;
        case 1: e.SetRecFileName(Cut(AsText(v))); break;
        case 2: s.VoiceMailRecordFormat = VoiceMailFormatOf(AsInt(v)); break;
        case 3: s.VoiceMailPlayFormat = VoiceMailFormatOf(AsInt(v)); break;
        case 4: e.SetSpeakerBuffer(PlayBufferModeOf(AsInt(v))); break;
        case 5: e.SetPhoneConversation(AsBool(v)); break;
        case 6: s.AnalogCallsListen = AsBool(v); break;
        case 7: s.ListenAllCalls = AsBool(v); break;
        case 8: s.AcceptPhoneCall = AsBool(v); break;
        case 9: s.UpdateClock = AsBool(v); break;
        case 10: e.SetCapiDLL(Cut(AsText(v))); break;
        case 11: e.SetMaxLogicalConnections(Cut(AsText(v))); break;
        case 12: e.SetOriginatorNumber(Cut(AsText(v))); break;
        case 13: e.SetDestinationNumber(Cut(AsText(v))); break;
        case 14: s.CalledPartyNumberByte0 = static_cast<uint8_t>(AsInt(v) & 0xFF); break;
        case 15: s.CallingPartyNumberByte0 = static_cast<uint8_t>(AsInt(v) & 0xFF); break;
        case 16: s.CallingPartyNumberByte1 = static_cast<uint8_t>(AsInt(v) & 0xFF); break;
        case 17: e.SetNumberDataBuffers(static_cast<int16_t>(static_cast<uint16_t>(AsInt(v) & 0xFFFF))); break;
        case 18: e.SetAudioFormat(AudioFormatOfStream(AsInt(v))); break;
        case 19: s.ClearCall = AsBool(v); break;
    }
}

TStreamValue EngineValue(int i, ILinkorEngine& e) {
    const TLinkorSettings& s = e.Settings();
    switch (i) {
        case 0: return TStreamValue::MakeText(s.PlayFileName);
        case 1: return TStreamValue::MakeText(s.RecFileName);
        case 2: return TStreamValue::MakeInt(s.VoiceMailRecordFormat);
        case 3: return TStreamValue::MakeInt(s.VoiceMailPlayFormat);
        case 4: return TStreamValue::MakeInt(e.GetSpeakerBuffer());
        case 5: return TStreamValue::MakeBool(s.PhoneConversation);
        case 6: return TStreamValue::MakeBool(s.AnalogCallsListen);
        case 7: return TStreamValue::MakeBool(s.ListenAllCalls);
        case 8: return TStreamValue::MakeBool(s.AcceptPhoneCall);
        case 9: return TStreamValue::MakeBool(s.UpdateClock);
        case 10: return TStreamValue::MakeText(s.CapiDLL);
        case 11: return TStreamValue::MakeText(e.GetMaxLogicalConnections());
        case 12: return TStreamValue::MakeText(s.OriginatorNumber);
        case 13: return TStreamValue::MakeText(s.DestinationNumber);
        case 14: return TStreamValue::MakeInt(s.CalledPartyNumberByte0);
        case 15: return TStreamValue::MakeInt(s.CallingPartyNumberByte0);
        case 16: return TStreamValue::MakeInt(s.CallingPartyNumberByte1);
        case 17: return TStreamValue::MakeInt(s.NumberDataBuffers);
        case 18: return TStreamValue::MakeInt(AudioFormatOut(e.GetAudioFormat()));
        default: return TStreamValue::MakeBool(s.ClearCall);
    }
}

}  // namespace

std::string SaveLinkorStream(const TLinkorForm& form, ILinkorEngine& engine) {
    TStreamWriter w;
    w.Signature();
    w.ShortString(kLinkorClassName);
    w.ShortString(kLinkorObjectName);
    WriteForm(w, form);
    for (int i = 0; i < 20; ++i) w.Property(kLinkorStoredNames[i], EngineValue(i, engine));
    w.ListEnd();  // properties
    w.ListEnd();  // children
    return w.Bytes();
}

void LoadLinkorStream(IByteSource& in, TLinkorForm& form, ILinkorEngine& engine) {
    TStreamReader r(in);
    r.Signature();
    std::string cls = r.ShortString();
    if (!SameText(cls, kLinkorClassName)) throw EReadError("Invalid stream format");
    r.ShortString();  // object name: the host's, taken as it is
    while (!r.EndOfList()) {
        std::string name = r.Name();
        TStreamValue v = r.Value();
        if (ReadFormProperty(name, v, form)) continue;
        int index = -1;
        for (int i = 0; i < 20; ++i)
            if (SameText(name, kLinkorStoredNames[i])) index = i;
        if (index < 0) throw EReadError("Property " + name + " does not exist");
        ReadEngineValue(index, v, engine);
    }
    // The control has no child components.
    if (!r.EndOfList()) throw EReadError("Invalid stream format");
}

void LoadLinkorStream(const std::string& bytes, TLinkorForm& form, ILinkorEngine& engine) {
    TMemorySource src(bytes);
    LoadLinkorStream(src, form, engine);
}

}  // namespace vx
