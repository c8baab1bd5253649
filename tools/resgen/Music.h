#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace resgen {

// The show's timing: one beat of the picture's clock, and the track's length in beats.
constexpr double kBeatSeconds = static_cast<double>(0.46153843f);
constexpr int kTrackBeats = 112;
constexpr double kTailSeconds = 2.2;
constexpr int kSampleRate = 44100;

struct StereoBuffer {
    std::vector<float> left, right;
};

// Synthesises the soundtrack: beat 0 starts at sample 0.
StereoBuffer SynthesizeTrack();

// Encodes to MP3 (stereo, 44.1 kHz, 192 kb/s CBR) with a LAME info frame carrying the encoder
// delay and padding, so gapless decoders start on sample 0. Throws std::runtime_error on failure.
std::vector<uint8_t> EncodeMp3(const StereoBuffer& audio);

}  // namespace resgen
