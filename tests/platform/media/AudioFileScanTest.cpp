// The music file scan on streams made by LAME here and cut, wrapped or replaced the ways a file on
// disk gets damaged.
#include "platform/media/AudioFileScan.h"

#include <gtest/gtest.h>
#include <lame/lame.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

struct Encoded {
    std::string bytes;
    int audioFrames = 0;
    size_t tagFrameBytes = 0;  // the Info frame at the start
};

// One second of a tone at 44.1 kHz mono, 64 kbit/s (MPEG 1 layer III, 1152 samples a frame), with
// LAME's Info tag filled in as an encoder writing a file does.
Encoded EncodeTone()
{
    lame_t encoder = lame_init();
    lame_set_num_channels(encoder, 1);
    lame_set_in_samplerate(encoder, 44100);
    lame_set_mode(encoder, MONO);
    lame_set_brate(encoder, 64);
    EXPECT_GE(lame_init_params(encoder), 0);
    std::vector<short> pcm(44100);
    for (size_t i = 0; i < pcm.size(); ++i) {
        pcm[i] = static_cast<short>(8000.0 * std::sin(0.06 * static_cast<double>(i)));
    }
    std::vector<unsigned char> mp3(200000);
    int bytes = lame_encode_buffer(encoder, pcm.data(), pcm.data(), static_cast<int>(pcm.size()), mp3.data(),
                                   static_cast<int>(mp3.size()));
    bytes += lame_encode_flush(encoder, mp3.data() + bytes, static_cast<int>(mp3.size()) - bytes);
    Encoded encoded;
    encoded.bytes.assign(reinterpret_cast<const char*>(mp3.data()), static_cast<size_t>(bytes));
    std::vector<unsigned char> tag(4096);
    encoded.tagFrameBytes = lame_get_lametag_frame(encoder, tag.data(), tag.size());
    encoded.bytes.replace(0, encoded.tagFrameBytes, reinterpret_cast<const char*>(tag.data()), encoded.tagFrameBytes);
    encoded.audioFrames = lame_get_frameNum(encoder);
    lame_close(encoder);
    return encoded;
}

TEST(AudioFileScan, AWholeStreamIsCountedFrameByFrame)
{
    const Encoded tone = EncodeTone();
    ASSERT_GT(tone.audioFrames, 30);
    const AudioFileScan whole = ScanAudioFile(tone.bytes);
    EXPECT_EQ(whole.content, AudioContent::mpeg);
    EXPECT_EQ(whole.frames, static_cast<uint64_t>(tone.audioFrames));
    EXPECT_EQ(whole.framesInHeader, whole.frames);
    EXPECT_FALSE(whole.CutShort());
    EXPECT_NEAR(whole.seconds, tone.audioFrames * 1152 / 44100.0, 1e-9);

    // Tags around the stream change nothing: an ID3v2 tag before it (its size in 7-bit bytes: 200),
    // an ID3v1 tag after it.
    const std::string id3v2 = std::string("ID3\x04\x00\x00\x00\x00\x01\x48", 10) + std::string(200, 'x');
    const AudioFileScan tagged = ScanAudioFile(id3v2 + tone.bytes + "TAG" + std::string(125, ' '));
    EXPECT_EQ(tagged.content, AudioContent::mpeg);
    EXPECT_EQ(tagged.frames, whole.frames);
    EXPECT_FALSE(tagged.CutShort());

    // Without its Info frame the stream has no count to be held to.
    const AudioFileScan untagged = ScanAudioFile(tone.bytes.substr(tone.tagFrameBytes));
    EXPECT_EQ(untagged.frames, whole.frames);
    EXPECT_EQ(untagged.framesInHeader, 0u);
    EXPECT_FALSE(untagged.CutShort());
}

TEST(AudioFileScan, AStreamCutShortIsToldInsideAFrameOrAgainstItsHeader)
{
    const Encoded tone = EncodeTone();
    const size_t frameBytes = tone.tagFrameBytes;  // at a constant bit rate, every frame but padded ones

    const AudioFileScan inside = ScanAudioFile(tone.bytes.substr(0, tone.bytes.size() / 2));
    EXPECT_TRUE(inside.endsInsideAFrame);
    EXPECT_TRUE(inside.CutShort());
    ASSERT_EQ(tone.audioFrames, 40);
    EXPECT_EQ(DescribeCutShort(inside),
              "ends inside its frame 20 of the 40 its header gives (cut short?); it plays 0.5 s");

    // Cut after the first three header bytes of a frame.
    const AudioFileScan inHeader = ScanAudioFile(tone.bytes.substr(0, frameBytes + 3));
    EXPECT_TRUE(inHeader.endsInsideAFrame);
    EXPECT_EQ(inHeader.frames, 0u);

    // Cut exactly after the tag frame and one audio frame: only the header's count tells.
    const AudioFileScan atBoundary = ScanAudioFile(tone.bytes.substr(0, 2 * frameBytes));
    EXPECT_FALSE(atBoundary.endsInsideAFrame);
    EXPECT_EQ(atBoundary.frames, 1u);
    EXPECT_TRUE(atBoundary.CutShort());
    EXPECT_EQ(DescribeCutShort(atBoundary), "holds 1 frames of the " + std::to_string(tone.audioFrames) +
                                                " its header gives (cut short?); it plays 0.0 s");

    // Without a header, a stream cut inside a frame is still told.
    const AudioFileScan untagged = ScanAudioFile(tone.bytes.substr(frameBytes, 5 * frameBytes / 2));
    EXPECT_TRUE(untagged.CutShort());
    EXPECT_EQ(DescribeCutShort(untagged), "ends inside its frame 3 (cut short?); it plays 0.1 s");
}

// An ID3v2 tag of `major` version holding `frames`, whose header claims `claimed` bytes after itself.
std::string Id3v2Tag(int major, size_t claimed, const std::string& frames)
{
    std::string header = "ID3" + std::string(1, static_cast<char>(major)) + std::string(2, '\0');
    for (int shift = 21; shift >= 0; shift -= 7) {
        header += static_cast<char>((claimed >> shift) & 0x7F);
    }
    return header + frames;
}

// One tag frame: its name, its size (7 bits a byte for ID3v2.4, 3 bytes for 2.2), its body.
std::string Id3v2Frame(int major, const std::string& name, const std::string& body)
{
    std::string frame = name;
    const int sizeBytes = major == 2 ? 3 : 4;
    const int bits = major == 4 ? 7 : 8;
    for (int i = sizeBytes - 1; i >= 0; --i) {
        frame += static_cast<char>((body.size() >> (bits * i)) & ((1u << bits) - 1));
    }
    return frame + (major == 2 ? "" : std::string(2, '\0')) + body;
}

TEST(AudioFileScan, AnId3v2TagWhoseSizeLiesIsToldAndTheAudioFoundWhereItStarts)
{
    const Encoded tone = EncodeTone();
    const std::string picture(3000, '\x55');

    // Tags whose sizes are right, each version, with padding or without: nothing to tell.
    struct Right {
        int major;
        std::string frames;
    };
    const Right right[] = {
        {2, Id3v2Frame(2, "TT2", "\x03Vexa")},
        {3, Id3v2Frame(3, "TIT2", "\x03Vexa") + Id3v2Frame(3, "APIC", picture) + std::string(500, '\0')},
        {4, Id3v2Frame(4, "APIC", picture) + Id3v2Frame(4, "TIT2", "\x03Vexa")},
    };
    for (const Right& r : right) {
        const std::string tag = Id3v2Tag(r.major, r.frames.size(), r.frames);
        const AudioFileScan scan = ScanAudioFile(tag + tone.bytes);
        EXPECT_EQ(scan.tagProblem, "") << "ID3v2." << r.major;
        EXPECT_EQ(scan.firstFrame, tag.size()) << "ID3v2." << r.major;
        EXPECT_EQ(scan.frames, static_cast<uint64_t>(tone.audioFrames)) << "ID3v2." << r.major;
    }

    // Too small: the picture runs past the tag's end, where a decoder would take it for audio.
    for (const int major : {3, 4}) {
        const std::string frames = Id3v2Frame(major, "APIC", picture);
        const AudioFileScan scan = ScanAudioFile(Id3v2Tag(major, 20, frames) + tone.bytes);
        EXPECT_EQ(scan.tagProblem, "its ID3v2 tag says it is 30 bytes long, but its frames run to byte 3020");
        EXPECT_EQ(scan.firstFrame, 3020u);
        EXPECT_EQ(scan.frames, static_cast<uint64_t>(tone.audioFrames));
    }

    // Too large: the tag claims the first 100,000 bytes, which a decoder would skip, audio and all.
    const std::string title = Id3v2Frame(3, "TIT2", "\x03Vexa");
    const AudioFileScan large = ScanAudioFile(Id3v2Tag(3, 100000, title) + tone.bytes + std::string(200000, '\0'));
    EXPECT_EQ(large.tagProblem,
              "its ID3v2 tag says it is 100010 bytes long, but MPEG audio starts at byte 25, inside it");
    EXPECT_EQ(large.firstFrame, 25u);
    EXPECT_EQ(large.frames, static_cast<uint64_t>(tone.audioFrames));

    // A tag the walk does not read (an extended header) is taken at its word, as before.
    std::string extended = Id3v2Tag(3, 20, Id3v2Frame(3, "APIC", picture));
    extended[5] = '\x40';
    EXPECT_EQ(ScanAudioFile(extended + tone.bytes).tagProblem, "");
}

TEST(AudioFileScan, OtherAudioAndNonAudioAreToldApart)
{
    struct Case {
        const char* name;
        std::string bytes;
        AudioContent content;
    };
    const Case cases[] = {
        {"WAV", std::string("RIFF\x24\x08\x00\x00WAVEfmt ", 16) + std::string(2000, '\0'), AudioContent::wav},
        {"Ogg", "OggS" + std::string(2000, '\x01'), AudioContent::ogg},
        {"FLAC", "fLaC" + std::string(2000, '\x02'), AudioContent::flac},
        {"text", "this is text, not an MP3 stream\n", AudioContent::unknown},
        {"empty", "", AudioContent::unknown},
        {"a lone frame header", "\xFF\xFB\x50", AudioContent::unknown},
        {"RIFF that is not WAVE", "RIFF\x24\x08\x00\x00AVI LIST", AudioContent::unknown},
        {"an ID3 tag larger than the file", std::string("ID3\x04\x00\x00\x7F\x7F\x7F\x7F", 10), AudioContent::unknown},
        // One header matched by chance in noise, with no second one where its length ends.
        {"a sync pattern in noise", "\xFF\xFB\x50\xC4" + std::string(3000, '\x55'), AudioContent::unknown},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ScanAudioFile(c.bytes).content, c.content) << c.name;
    }
    EXPECT_STREQ(AudioContentName(AudioContent::wav), "WAV");
}

}  // namespace
