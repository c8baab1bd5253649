#pragma once
// What a music file holds, judged from its bytes. SDL_mixer picks its decoder by the name's
// extension, so a WAV file named .mp3 plays as a second of noise through the MPEG decoder, and a file
// cut short simply stops early; the decoder's own chatter names no file. The scan tells both apart
// before the track is opened, so that the media layer can say which file and what is wrong with it.

#include <cstdint>
#include <string>
#include <string_view>

enum class AudioContent {
    mpeg,     // MPEG audio frames, after an ID3v2 tag or not
    wav,      // "RIFF....WAVE"
    ogg,      // "OggS"
    flac,     // "fLaC"
    unknown,  // none of these: no MPEG frame pair near the start either
};

struct AudioFileScan {
    AudioContent content = AudioContent::unknown;
    // MPEG only: the audio frames from the first to where the stream ends, the count a Xing or Info tag
    // in the first frame gives (0 without one; the tag's own frame is counted in neither), whether the
    // file ends inside a frame, and how long the whole audio frames play.
    uint64_t frames = 0;
    uint64_t framesInHeader = 0;
    bool endsInsideAFrame = false;
    double seconds = 0.0;
    // MPEG only: where the first audio frame starts, and what is wrong with the ID3v2 tag before it
    // when the tag's own size does not end where its frames end and the audio starts (empty when
    // nothing is, or the tag is of a kind the scan does not check). A decoder trusts the size: too
    // small, it reads the rest of the tag as audio; too large, it skips audio.
    size_t firstFrame = 0;
    std::string tagProblem;

    // True when the stream is plainly cut short: it ends inside a frame, or holds fewer frames than its
    // header says.
    bool CutShort() const { return endsInsideAFrame || frames < framesInHeader; }
};

AudioFileScan ScanAudioFile(std::string_view bytes);

// "WAV", "Ogg", "FLAC", "MPEG", or "unknown".
const char* AudioContentName(AudioContent content);

// A sentence about a cut-short MPEG stream for a message after the file's name: "ends inside its
// frame 1081 of the 2065 its header gives (cut short?); it plays 28.2 s".
std::string DescribeCutShort(const AudioFileScan& scan);
