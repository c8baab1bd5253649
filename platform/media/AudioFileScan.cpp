#include "platform/media/AudioFileScan.h"

#include <cstdio>

namespace {

// How far past the ID3 tags the first frame is looked for: encoders put it right there, and a decoder
// that resynchronises over more junk than this is decoding something else.
constexpr size_t kFirstFrameSearch = 64 * 1024;

struct FrameHeader {
    uint32_t length = 0;  // bytes, header included; 0 for a free-format frame, whose length is not given
    uint32_t samples = 0;
    uint32_t sampleRate = 0;
    bool mpeg1 = false;
    bool mono = false;
};

// The four header bytes at pos as an MPEG audio frame header (ISO 11172-3 and 13818-3, with the
// MPEG 2.5 extension); false for anything that is not one.
bool ReadFrameHeader(std::string_view bytes, size_t pos, FrameHeader& header)
{
    if (bytes.size() < 4 || pos > bytes.size() - 4) {
        return false;
    }
    const auto b1 = static_cast<uint8_t>(bytes[pos + 1]);
    const auto b2 = static_cast<uint8_t>(bytes[pos + 2]);
    const auto b3 = static_cast<uint8_t>(bytes[pos + 3]);
    if (static_cast<uint8_t>(bytes[pos]) != 0xFF || (b1 & 0xE0) != 0xE0) {
        return false;
    }
    const unsigned version = (b1 >> 3) & 3;    // 0: 2.5, 1: reserved, 2: 2, 3: 1
    const unsigned layerBits = (b1 >> 1) & 3;  // 1: III, 2: II, 3: I
    const unsigned bitrateIndex = b2 >> 4;
    const unsigned rateIndex = (b2 >> 2) & 3;
    if (version == 1 || layerBits == 0 || bitrateIndex == 15 || rateIndex == 3) {
        return false;
    }
    const unsigned layer = 4 - layerBits;
    static constexpr uint16_t kBitrates[5][15] = {
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},  // MPEG 1, layer I
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},     // MPEG 1, layer II
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},      // MPEG 1, layer III
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},     // MPEG 2 and 2.5, layer I
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},          // MPEG 2 and 2.5, II and III
    };
    static constexpr uint32_t kRates[3] = {44100, 48000, 32000};
    header.mpeg1 = version == 3;
    header.sampleRate = kRates[rateIndex] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    header.mono = (b3 >> 6) == 3;
    const unsigned table = header.mpeg1 ? layer - 1 : (layer == 1 ? 3 : 4);
    const uint32_t bitrate = kBitrates[table][bitrateIndex] * 1000u;
    const uint32_t padding = (b2 >> 1) & 1;
    if (layer == 1) {
        header.samples = 384;
        header.length = (12 * bitrate / header.sampleRate + padding) * 4;
    } else {
        header.samples = layer == 3 && !header.mpeg1 ? 576 : 1152;
        const uint32_t factor = layer == 3 && !header.mpeg1 ? 72 : 144;
        header.length = factor * bitrate / header.sampleRate + padding;
    }
    return true;
}

uint32_t BigEndian32(std::string_view bytes, size_t pos)
{
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) {
        value = (value << 8) | static_cast<uint8_t>(bytes[pos + i]);
    }
    return value;
}

// The length of the ID3v2 tag whose header starts at pos, as the header gives it: header, body and
// footer.
size_t Id3v2TagBytes(std::string_view bytes, size_t pos)
{
    uint32_t size = 0;
    for (size_t i = 6; i < 10; ++i) {
        size = (size << 7) | (static_cast<uint8_t>(bytes[pos + i]) & 0x7F);  // "synchsafe": 7 bits a byte
    }
    const bool footer = (static_cast<uint8_t>(bytes[pos + 5]) & 0x10) != 0;
    return 10 + size + (footer ? 10 : 0);
}

// The bytes of the ID3v2 tags at the start (a file may carry more than one), or 0.
size_t Id3v2Length(std::string_view bytes)
{
    size_t pos = 0;
    while (bytes.size() - pos >= 10 && bytes.substr(pos, 3) == "ID3") {
        pos += Id3v2TagBytes(bytes, pos);
        if (pos >= bytes.size()) {
            return bytes.size();
        }
    }
    return pos;
}

// Where the frames of the ID3v2 tag at the start end, walked by their own sizes from the tag header
// (ID3v2.2: 3-byte names and sizes; 2.3: 4-byte names, plain sizes; 2.4: 4-byte names, 7 bits a
// size byte), over the tag's end if they run past it. 0 for a tag the walk does not read: another
// version, unsynchronised, or with an extended header.
size_t Id3v2FramesEnd(std::string_view bytes)
{
    if (bytes.size() < 10 || bytes.substr(0, 3) != "ID3") {
        return 0;
    }
    const auto major = static_cast<uint8_t>(bytes[3]);
    const auto flags = static_cast<uint8_t>(bytes[5]);
    if (major < 2 || major > 4 || (flags & 0xC0) != 0) {
        return 0;
    }
    const size_t nameBytes = major == 2 ? 3 : 4;
    const size_t headerBytes = major == 2 ? 6 : 10;
    size_t pos = 10;
    while (bytes.size() - pos >= headerBytes) {
        for (size_t i = 0; i < nameBytes; ++i) {
            const char c = bytes[pos + i];
            if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) {
                return pos;  // padding, or what is not a frame
            }
        }
        size_t size = 0;
        for (size_t i = nameBytes; i < nameBytes + (major == 2 ? 3 : 4); ++i) {
            const auto byte = static_cast<uint8_t>(bytes[pos + i]);
            size = major == 4 ? (size << 7) | (byte & 0x7F) : (size << 8) | byte;
        }
        if (size > bytes.size() - pos - headerBytes) {
            return pos;  // a frame that would end past the file is not one
        }
        pos += headerBytes + size;
    }
    return pos;
}

// The first frame whose successor starts where its length says, or whose end leaves no room for one
// (a file of one frame, or one cut short): one frame header alone is too easily matched by chance.
bool FindFirstFrame(std::string_view bytes, size_t from, size_t& first)
{
    const size_t last = bytes.size() - from > kFirstFrameSearch ? from + kFirstFrameSearch : bytes.size();
    for (size_t pos = from; pos < last; ++pos) {
        FrameHeader header;
        if (!ReadFrameHeader(bytes, pos, header) || header.length == 0) {
            continue;
        }
        FrameHeader next;
        const size_t after = pos + header.length;
        if (after > bytes.size() - 4 || ReadFrameHeader(bytes, after, next)) {
            first = pos;
            return true;
        }
    }
    return false;
}

// Checks the ID3v2 tag's size against where its frames end and the audio starts; sets the scan's
// tagProblem, and returns where to look for the first audio frame.
size_t CheckId3v2Size(std::string_view bytes, AudioFileScan& scan)
{
    const size_t tagsEnd = Id3v2Length(bytes);
    const size_t framesEnd = Id3v2FramesEnd(bytes);
    if (framesEnd == 0) {
        return tagsEnd;
    }
    const size_t tagEnd = Id3v2TagBytes(bytes, 0);  // as its header gives it, which may lie past the file
    const std::string claim = "its ID3v2 tag says it is " + std::to_string(tagEnd) + " bytes long";
    size_t first = 0;
    if (framesEnd > tagEnd && FindFirstFrame(bytes, framesEnd, first)) {
        scan.tagProblem = claim + ", but its frames run to byte " + std::to_string(framesEnd);
        return framesEnd;
    }
    if (framesEnd < tagEnd && FindFirstFrame(bytes, framesEnd, first) && first < tagEnd) {
        scan.tagProblem = claim + ", but MPEG audio starts at byte " + std::to_string(first) + ", inside it";
        return first;
    }
    return tagsEnd;
}

// The frame count of a Xing or Info tag in the frame at pos, or 0 where it has none.
uint32_t TagFrameCount(std::string_view bytes, size_t pos, const FrameHeader& header)
{
    const size_t sideInfo = header.mpeg1 ? (header.mono ? 17 : 32) : (header.mono ? 9 : 17);
    const size_t tag = pos + 4 + sideInfo;
    if (tag + 12 > pos + header.length || tag + 12 > bytes.size()) {
        return 0;
    }
    const std::string_view name = bytes.substr(tag, 4);
    if (name != "Xing" && name != "Info") {
        return 0;
    }
    const bool hasFrames = (BigEndian32(bytes, tag + 4) & 1) != 0;
    return hasFrames ? BigEndian32(bytes, tag + 8) : 0;
}

void WalkFrames(std::string_view bytes, size_t first, AudioFileScan& scan)
{
    size_t pos = first;
    uint64_t samples = 0;
    uint32_t sampleRate = 0;
    bool firstFrame = true;
    while (pos < bytes.size()) {
        FrameHeader header;
        if (!ReadFrameHeader(bytes, pos, header)) {
            // Fewer than four bytes of what starts like a header: cut inside it. Anything else is
            // a tag at the end (ID3v1, APE, Lyrics) or data the decoder skips; nothing is claimed.
            scan.endsInsideAFrame = bytes.size() - pos < 4 && static_cast<uint8_t>(bytes[pos]) == 0xFF;
            break;
        }
        if (header.length == 0) {
            break;  // free format: the frames' lengths are not in their headers
        }
        if (header.length > bytes.size() - pos) {
            scan.endsInsideAFrame = true;
            break;
        }
        if (firstFrame) {
            firstFrame = false;
            sampleRate = header.sampleRate;
            scan.framesInHeader = TagFrameCount(bytes, pos, header);
            if (scan.framesInHeader != 0) {
                pos += header.length;  // the tag's frame holds no audio
                continue;
            }
        }
        ++scan.frames;
        samples += header.samples;
        pos += header.length;
    }
    scan.seconds = sampleRate != 0 ? static_cast<double>(samples) / sampleRate : 0.0;
}

}  // namespace

AudioFileScan ScanAudioFile(std::string_view bytes)
{
    AudioFileScan scan;
    if (bytes.size() >= 12 && bytes.substr(0, 4) == "RIFF" && bytes.substr(8, 4) == "WAVE") {
        scan.content = AudioContent::wav;
    } else if (bytes.substr(0, 4) == "OggS") {
        scan.content = AudioContent::ogg;
    } else if (bytes.substr(0, 4) == "fLaC") {
        scan.content = AudioContent::flac;
    } else if (size_t first = 0; FindFirstFrame(bytes, CheckId3v2Size(bytes, scan), first)) {
        scan.content = AudioContent::mpeg;
        scan.firstFrame = first;
        WalkFrames(bytes, first, scan);
    } else {
        scan.tagProblem.clear();
    }
    return scan;
}

const char* AudioContentName(AudioContent content)
{
    switch (content) {
    case AudioContent::mpeg: return "MPEG";
    case AudioContent::wav: return "WAV";
    case AudioContent::ogg: return "Ogg";
    case AudioContent::flac: return "FLAC";
    case AudioContent::unknown: break;
    }
    return "unknown";
}

std::string DescribeCutShort(const AudioFileScan& scan)
{
    char plays[64];
    std::snprintf(plays, sizeof plays, "; it plays %.1f s", scan.seconds);
    const std::string ofHeader = scan.framesInHeader != 0
                                     ? " of the " + std::to_string(scan.framesInHeader) + " its header gives"
                                     : "";
    if (scan.endsInsideAFrame) {
        return "ends inside its frame " + std::to_string(scan.frames + 1) + ofHeader + " (cut short?)" + plays;
    }
    return "holds " + std::to_string(scan.frames) + " frames" + ofHeader + " (cut short?)" + plays;
}
