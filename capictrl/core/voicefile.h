// Voice-mail files: the file played to the line and the file recorded from
// it, in one of three formats (TVoiceMailFileFormat):
//  - ff1_WAVE: RIFF WAVE, PCM, mono, 8000 Hz, 16 bit (44-byte header);
//  - ff2_ALAW: raw line A-law bytes, no header;
//  - ff3_ULAW: .snd file, 28-byte big-endian header, then mu-law bytes.
// Every block opens the file, positions, reads or writes, and closes it
// again, and a record file's header is brought up to date after every block,
// so a recording is a valid file at any moment and nothing stays open
// between messages. Play files are read from their first byte: no header
// field is looked at, a header simply goes to the line as audio.
// Portable: files are reached through IVoiceFiles.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "capictrl/core/settings.h"

namespace vx {

// One open file with positioned reads and writes.
class IVoiceFile {
public:
    virtual ~IVoiceFile() = default;
    // Reads up to n bytes at offset: the count read (0 at or beyond the
    // end), or -1 when the read fails.
    virtual int64_t ReadAt(uint64_t offset, void* buffer, size_t n) = 0;
    // Writes n bytes at offset: the count written, or -1 when nothing could
    // be written.
    virtual int64_t WriteAt(uint64_t offset, const void* data, size_t n) = 0;
    // Cuts (or extends) the file to size bytes.
    virtual bool SetSize(uint64_t size) = 0;
};

// The file system as the voice path uses it. Names are code page 1250.
class IVoiceFiles {
public:
    enum class Mode {
        Read,       // an existing file, read only
        ReadWrite,  // an existing file, read and write
        Create,     // a new file, or an existing one emptied; read and write
    };
    virtual ~IVoiceFiles() = default;
    // nullptr when the file cannot be opened; error then holds the system's
    // error code (2 for a file that does not exist).
    virtual std::unique_ptr<IVoiceFile> Open(const std::string& name, Mode mode, int& error) = 0;
    // A file (not a directory) of that name exists.
    virtual bool Exists(const std::string& name) = 0;
};

constexpr uint32_t kWaveHeaderSize = 44;
constexpr uint32_t kSndHeaderSize = 28;
// A recording stops after the block that takes the file beyond this size;
// that block stays in the file. The positions of the file routines are
// signed 32-bit, and this keeps every header field within them.
constexpr uint32_t kRecordLimit = 2147400000u;

// The two headers for a file of fileSize bytes, header included.
void MakeWaveHeader(uint32_t fileSize, uint8_t out[kWaveHeaderSize]);
void MakeSndHeader(uint32_t fileSize, uint8_t out[kSndHeaderSize]);

// --- record file --------------------------------------------------------------

// Creates the record file for a call (an existing file is emptied) with the
// header of its format and sets total to the bytes now in it (44, 28 or 0).
// A name shorter than 4 characters, a WAVE or .snd file that cannot be
// created or whose header cannot be written whole, or a file that is then
// missing leaves the call without recording: stopped := true, nothing
// reported. A raw A-law file that cannot be created raises EInOutError
// with the system's error code.
void CreateRecordFile(IVoiceFiles& files, const std::string& name, TVoiceMailFileFormat format,
                      uint32_t& total, bool& stopped);

// Records one received block of n line bytes (at most 2048 are taken) at
// total and advances total by the bytes written, converting by file format
// and line law (the bytes are converted in place):
//  - ff1_WAVE: a mu-law line's bytes to line A-law, then decoded into pcm
//    (room for 2048 samples) and written as 2n bytes of PCM; RIFF and data
//    sizes are rewritten. A WAVE file has no raw form, so a line of unknown
//    law is taken as A-law, the control's default law;
//  - ff3_ULAW: an A-law line's bytes to mu-law; the data size is rewritten;
//  - ff2_ALAW: a mu-law line's bytes to line A-law; the file is made to end
//    after the block.
// A WAVE or .snd file that cannot be opened loses the block (total stays).
// A raw A-law file that cannot be opened or written raises EInOutError.
// Once total is beyond kRecordLimit, stopped := true.
void RecordLineBlock(IVoiceFiles& files, const std::string& name, TVoiceMailFileFormat format,
                     TAudioFormat law, uint8_t* data, int n, int16_t* pcm, uint32_t& total, bool& stopped);

// --- play file ----------------------------------------------------------------

// The play file can be played: a name of 4 characters or more and a file of
// that name.
bool PlayFileUsable(IVoiceFiles& files, const std::string& name);

// Fills one 2048-byte line block from the play file at offset and advances
// offset; false (block untouched) when nothing could be read there, which
// ends the playing: the end of the file, or a file that can no longer be
// opened or read.
//  - ff1_WAVE: 4096 bytes (2048 samples, missing bytes count as zero)
//    encoded to line A-law, then to mu-law on a mu-law line; a line of
//    unknown law gets A-law, as the record side takes it;
//  - ff2_ALAW / ff3_ULAW: 2048 bytes as stored (the rest of the block 0);
//    raw A-law to mu-law on a mu-law line, .snd mu-law to line A-law on an
//    A-law line; otherwise as read.
bool ReadPlayBlock(IVoiceFiles& files, const std::string& name, TVoiceMailFileFormat format,
                   TAudioFormat law, uint32_t& offset, uint8_t block[2048]);

}  // namespace vx
