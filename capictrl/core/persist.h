// The control's stored description: the component stream that a host keeps
// for it ("TPF0", class and object name, the form's properties, the twenty
// engine values, end of list, no children). Read into and written from the
// form's properties and the engine. Portable: no windows.h.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/errors.h"
#include "capictrl/core/linkorengine.h"

namespace vx {

// A stream that cannot be read: bad format, unknown property, value of the
// wrong kind, stream ended early.
class EReadError : public Exception {
public:
    using Exception::Exception;
};

// Tags of the values in the stream.
enum TValueTag : uint8_t {
    vaNull = 0,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaSet = 11,
    vaLString = 12,
};

// One value as read from the stream, tag kept.
struct TStreamValue {
    enum Kind { Integer, Text, Ident, Boolean, Set } kind = Integer;
    int32_t Int = 0;
    std::string Str;               // Text, Ident
    bool Bool = false;
    std::vector<std::string> Names;  // Set

    static TStreamValue MakeInt(int32_t v);
    static TStreamValue MakeText(const std::string& v);
    static TStreamValue MakeIdent(const std::string& v);
    static TStreamValue MakeBool(bool v);
    static TStreamValue MakeSet(const std::vector<std::string>& v);
    bool operator==(const TStreamValue& o) const;
};

// Where the reader takes its bytes; Read fails with EReadError when fewer
// than n bytes remain. The reader never asks for more than the stream holds,
// so a host's stream stays positioned just behind the control's data.
class IByteSource {
public:
    virtual ~IByteSource() = default;
    virtual void Read(void* buffer, size_t n) = 0;
};

class TMemorySource : public IByteSource {
public:
    explicit TMemorySource(const std::string& bytes) : data_(bytes) {}
    void Read(void* buffer, size_t n) override;
    size_t Position() const { return pos_; }

private:
    const std::string& data_;
    size_t pos_ = 0;
};

// Low-level writer of the stream format. Integers take the smallest tag
// that holds them; texts up to 255 characters take the short-string tag.
class TStreamWriter {
public:
    void Signature();
    void ShortString(const std::string& s);  // length byte, characters (cut at 255)
    void ListEnd();
    void Integer(int32_t v);
    void Text(const std::string& v);
    void Ident(const std::string& v);
    void Boolean(bool v);
    void Set(const std::vector<std::string>& names);
    void Value(const TStreamValue& v);
    void Property(const std::string& name, const TStreamValue& v);
    const std::string& Bytes() const { return out_; }

private:
    std::string out_;
};

class TStreamReader {
public:
    explicit TStreamReader(IByteSource& in) : in_(in) {}
    void Signature();  // EReadError unless "TPF0"
    std::string ShortString();
    uint8_t Byte();
    // True at the zero byte that ends a list; otherwise the byte read is
    // the length of the name that Name() then returns.
    bool EndOfList();
    std::string Name();
    TStreamValue Value();  // EReadError on a tag it does not know

private:
    IByteSource& in_;
    uint8_t pending_ = 0;
    bool hasPending_ = false;
};

// The form's own properties, with the values of the control's design. A
// fresh control has exactly these; the monitor's stored data holds the same.
struct TLinkorForm {
    int32_t Left = 496;
    int32_t Top = 345;
    int32_t Width = 39;
    int32_t Height = 38;
    TStreamValue HorzScrollBarColor = TStreamValue::MakeIdent("clGreen");
    bool HorzScrollBarParentColor = false;
    bool AutoSize = true;
    std::string AxBorderStyle = "afbRaised";
    std::string Caption = "LinkorCtrl";
    TStreamValue Color = TStreamValue::MakeIdent("clGreen");
    TStreamValue FontCharset = TStreamValue::MakeIdent("DEFAULT_CHARSET");
    TStreamValue FontColor = TStreamValue::MakeIdent("clWindowText");
    int32_t FontHeight = -10;
    std::string FontName = "MS Sans Serif";
    std::vector<std::string> FontStyle;
    bool OldCreateOrder = false;
    int32_t PixelsPerInch = 96;
    int32_t TextHeight = 13;
};

extern const char* const kLinkorClassName;   // "TLinkorCtrl"
extern const char* const kLinkorObjectName;  // "LinkorCtrl"

// The names of the twenty engine values, in the order they are stored.
extern const char* const kLinkorStoredNames[20];

// The whole stream of the control: form properties, then all twenty engine
// values read from the engine's current state.
std::string SaveLinkorStream(const TLinkorForm& form, ILinkorEngine& engine);

// Reads one stream into the form and the engine, each value applied as it
// is met (through the engine's setters where they have rules). Throws
// EReadError for a malformed stream, an unknown name or a value of the
// wrong kind, and passes on a setter's failure (the conversion error of
// MaxLogicalConnections); values read before a failure stay applied.
void LoadLinkorStream(IByteSource& in, TLinkorForm& form, ILinkorEngine& engine);
void LoadLinkorStream(const std::string& bytes, TLinkorForm& form, ILinkorEngine& engine);

}  // namespace vx
