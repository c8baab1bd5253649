// The soundtrack player on SDL's dummy audio driver, with a short MP3 made by LAME for each run.
#include "platform/media/Mci.h"
#include "platform/win32/PerformanceCounter.h"

#include <gtest/gtest.h>
#include <lame/lame.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

constexpr const wchar_t* kOpen = L"open Res/vexa-rhino.mp3 type mpegvideo";
constexpr const wchar_t* kPlay = L"play Res/vexa-rhino.mp3";

bool WriteSineMp3(const fs::path& path, double seconds)
{
    lame_t encoder = lame_init();
    if (encoder == nullptr) {
        return false;
    }
    lame_set_num_channels(encoder, 1);
    lame_set_in_samplerate(encoder, 44100);
    lame_set_mode(encoder, MONO);
    lame_set_brate(encoder, 64);
    if (lame_init_params(encoder) < 0) {
        lame_close(encoder);
        return false;
    }
    const auto samples = static_cast<int>(44100 * seconds);
    std::vector<short> pcm(static_cast<std::size_t>(samples));
    for (int i = 0; i < samples; ++i) {
        pcm[static_cast<std::size_t>(i)] = static_cast<short>(8000.0 * std::sin(2.0 * M_PI * 440.0 * i / 44100.0));
    }
    std::vector<unsigned char> mp3(static_cast<std::size_t>(samples) * 5 / 4 + 7200);
    int bytes = lame_encode_buffer(encoder, pcm.data(), pcm.data(), samples, mp3.data(), static_cast<int>(mp3.size()));
    if (bytes >= 0) {
        const int tail = lame_encode_flush(encoder, mp3.data() + bytes, static_cast<int>(mp3.size()) - bytes);
        bytes = tail >= 0 ? bytes + tail : -1;
    }
    lame_close(encoder);
    if (bytes <= 0) {
        return false;
    }
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(mp3.data()), bytes);
    return static_cast<bool>(out);
}

std::wstring Status(const wchar_t* name, const wchar_t* item)
{
    wchar_t answer[32] = L"?";
    const std::wstring command = std::wstring(L"status ") + name + L" " + item;
    if (mciSendStringW(command.c_str(), answer, 32, nullptr) != 0) {
        return L"error";
    }
    return answer;
}

std::wstring Mode(const wchar_t* name)
{
    return Status(name, L"mode");
}

long Position(const wchar_t* name)
{
    const std::wstring text = Status(name, L"position");
    return text == L"error" ? -1 : std::stol(text);
}

MCIERROR Send(const wchar_t* command)
{
    return mciSendStringW(command, nullptr, 0, nullptr);
}

class Soundtrack : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        previous = fs::current_path();
        folder = fs::temp_directory_path() / ("mci-test-" + std::to_string(getpid()));
        fs::create_directories(folder / "Res");
        fs::current_path(folder);
        ASSERT_TRUE(WriteSineMp3("Res/vexa-rhino.mp3", 0.6));
        // Long enough that the audio thread, which plays in real time, cannot finish it while a
        // test moves a virtual clock through seconds.
        ASSERT_TRUE(WriteSineMp3("Res/long.mp3", 8.0));
        std::ofstream("Res/not-music.mp3") << "this is text, not an MP3 stream\n";
    }

    static void TearDownTestSuite()
    {
        fs::current_path(previous);
        fs::remove_all(folder);
    }

    void TearDown() override
    {
        InstallVirtualClock(nullptr);
        MciShutdown();
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }

    static inline fs::path previous;
    static inline fs::path folder;
};

TEST_F(Soundtrack, OpensPlaysWithoutBlockingAndEndsOnItsOwn)
{
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(mciSendStringW(kOpen, nullptr, 0, nullptr), 0u);
    ASSERT_EQ(mciSendStringW(kPlay, nullptr, 0, nullptr), 0u);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::milliseconds(500)) << "open and play must not wait for the track";
    EXPECT_EQ(Mode(L"Res/vexa-rhino.mp3"), L"playing");
    EXPECT_EQ(mciSendStringW(kPlay, nullptr, 0, nullptr), 0u) << "playing again goes on";
    EXPECT_EQ(Mode(L"RES/VEXA-RHINO.MP3"), L"playing") << "device names ignore case";

    // The 0.6-second track plays to its end on the audio thread.
    std::wstring mode;
    for (int i = 0; i < 60 && (mode = Mode(L"Res/vexa-rhino.mp3")) == L"playing"; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(mode, L"stopped");

    EXPECT_EQ(mciSendStringW(L"close Res/vexa-rhino.mp3", nullptr, 0, nullptr), 0u);
    EXPECT_EQ(Mode(L"Res/vexa-rhino.mp3"), L"error");
}

TEST_F(Soundtrack, FailedCommandsReturnTheirCodeAndChangeNothing)
{
    const std::tuple<const wchar_t*, MCIERROR> cases[] = {
        {L"open Res/missing.mp3 type mpegvideo", MCIERR_FILE_NOT_FOUND},
        {L"open Res type mpegvideo", MCIERR_FILE_NOT_FOUND},
        {L"open Res/not-music.mp3 type mpegvideo", MCIERR_INVALID_FILE},
        {L"open Res/vexa-rhino.mp3 type cdaudio", MCIERR_INVALID_DEVICE_NAME},
        {L"open Res/vexa-rhino.xyz", MCIERR_EXTENSION_NOT_FOUND},
        {L"open Res/vexa-rhino.mp3 type mpegvideo wait", MCIERR_UNRECOGNIZED_KEYWORD},
        {L"open Res/vexa-rhino.mp3 type", MCIERR_MISSING_STRING_ARGUMENT},
        {L"open \"Res/vexa-rhino.mp3", MCIERR_NO_CLOSING_QUOTE},
        {L"open", MCIERR_MISSING_PARAMETER},
        {L"play Res/vexa-rhino.mp3", MCIERR_INVALID_DEVICE_NAME},
        {L"pause Res/vexa-rhino.mp3", MCIERR_INVALID_DEVICE_NAME},
        {L"resume Res/vexa-rhino.mp3", MCIERR_INVALID_DEVICE_NAME},
        {L"seek Res/vexa-rhino.mp3 to start", MCIERR_UNRECOGNIZED_COMMAND},
        {L"   ", MCIERR_MISSING_COMMAND_STRING},
        {nullptr, MCIERR_MISSING_COMMAND_STRING},
    };
    for (const auto& [command, code] : cases) {
        EXPECT_EQ(mciSendStringW(command, nullptr, 0, nullptr), code) << (command ? "" : "null");
    }
    // None of them left a device behind: the real commands still work from scratch.
    ASSERT_EQ(mciSendStringW(kOpen, nullptr, 0, nullptr), 0u);
    EXPECT_EQ(mciSendStringW(kOpen, nullptr, 0, nullptr), MCIERR_DEVICE_OPEN);
    EXPECT_EQ(mciSendStringW(L"play Res/vexa-rhino.mp3 from 0", nullptr, 0, nullptr), MCIERR_UNRECOGNIZED_KEYWORD);
    EXPECT_EQ(mciSendStringW(L"pause Res/vexa-rhino.mp3 wait", nullptr, 0, nullptr), MCIERR_UNRECOGNIZED_KEYWORD);
    EXPECT_EQ(mciSendStringW(L"resume", nullptr, 0, nullptr), MCIERR_MISSING_PARAMETER);
    EXPECT_EQ(mciSendStringW(L"status Res/vexa-rhino.mp3 volume", nullptr, 0, nullptr), MCIERR_UNRECOGNIZED_KEYWORD);
    EXPECT_EQ(Mode(L"Res/vexa-rhino.mp3"), L"stopped");
    ASSERT_EQ(mciSendStringW(kPlay, nullptr, 0, nullptr), 0u);

    wchar_t tiny[3] = L"xx";
    EXPECT_EQ(mciSendStringW(L"status Res/vexa-rhino.mp3 mode", tiny, 3, nullptr), MCIERR_PARAM_OVERFLOW);
    EXPECT_EQ(std::wstring(tiny), L"");
}

TEST_F(Soundtrack, QuotedNamesAndAliases)
{
    fs::copy_file("Res/vexa-rhino.mp3", "Res/with blank.mp3", fs::copy_options::overwrite_existing);
    ASSERT_EQ(mciSendStringW(L"open \"Res/with blank.mp3\" type mpegvideo alias track", nullptr, 0, nullptr), 0u);
    EXPECT_EQ(mciSendStringW(L"play track", nullptr, 0, nullptr), 0u);
    EXPECT_EQ(Mode(L"track"), L"playing");
    EXPECT_EQ(mciSendStringW(L"close all", nullptr, 0, nullptr), 0u);
    EXPECT_EQ(Mode(L"track"), L"error");
}

// A WAV file under an MP3's name plays as the WAV it is (SDL_mixer alone would decode it as MPEG: noise,
// then silence); a file cut short still plays as far as it goes.
TEST_F(Soundtrack, AFileIsPlayedAsWhatItHolds)
{
    const uint32_t samples = 22050;
    std::string wav = "RIFF" + std::string(4, '\0') + "WAVEfmt ";
    auto put32 = [&](uint32_t v) { wav.append(reinterpret_cast<const char*>(&v), 4); };
    auto put16 = [&](uint16_t v) { wav.append(reinterpret_cast<const char*>(&v), 2); };
    put32(16), put16(1), put16(1), put32(44100), put32(88200), put16(2), put16(16);
    wav += "data";
    put32(2 * samples);
    wav.append(2 * samples, '\0');
    const uint32_t riffSize = static_cast<uint32_t>(wav.size() - 8);
    wav.replace(4, 4, reinterpret_cast<const char*>(&riffSize), 4);
    std::ofstream("Res/wav.mp3", std::ios::binary) << wav;
    ASSERT_EQ(Send(L"open Res/wav.mp3 type mpegvideo"), 0u);
    EXPECT_EQ(Status(L"Res/wav.mp3", L"length"), L"500");

    fs::copy_file("Res/long.mp3", "Res/cut.mp3", fs::copy_options::overwrite_existing);
    fs::resize_file("Res/cut.mp3", fs::file_size("Res/long.mp3") / 2);
    ASSERT_EQ(Send(L"open Res/cut.mp3 type mpegvideo"), 0u);
    EXPECT_EQ(Send(L"play Res/cut.mp3"), 0u);
    EXPECT_EQ(Mode(L"Res/cut.mp3"), L"playing");
}

// An ID3v2 tag whose size lies, too small (a picture runs past it) or too large (it claims the
// audio): the file is named with what is wrong, and the whole track plays from its first frame.
TEST_F(Soundtrack, ATagWhoseSizeLiesIsNamedAndTheTrackPlaysWhole)
{
    std::ifstream in("Res/long.mp3", std::ios::binary);
    const std::string audio((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_EQ(Send(L"open Res/long.mp3 type mpegvideo"), 0u);
    const std::wstring length = Status(L"Res/long.mp3", L"length");

    auto size32 = [](std::size_t n, int bits) {
        std::string bytes;
        for (int i = 3; i >= 0; --i) {
            bytes += static_cast<char>((n >> (bits * i)) & ((1u << bits) - 1));
        }
        return bytes;
    };
    const std::string picture = "APIC" + size32(3000, 8) + std::string(2, '\0') + std::string(3000, '\x55');
    const std::string title = "TIT2" + size32(5, 8) + std::string(2, '\0') + "\x03Vexa";
    const struct {
        const wchar_t* name;
        std::string bytes;
        const char* problem;
    } cases[] = {
        {L"Res/tag-too-small.mp3", "ID3\x03" + std::string(2, '\0') + size32(20, 7) + picture + audio,
         "Res/tag-too-small.mp3: its ID3v2 tag says it is 30 bytes long, but its frames run to byte 3020; it "
         "plays from there\n"},
        {L"Res/tag-too-large.mp3", "ID3\x03" + std::string(2, '\0') + size32(100000, 7) + title + audio,
         "Res/tag-too-large.mp3: its ID3v2 tag says it is 100010 bytes long, but MPEG audio starts at byte 25, "
         "inside it; it plays from there\n"},
    };
    for (const auto& c : cases) {
        const fs::path path(c.name);
        std::ofstream(path, std::ios::binary) << c.bytes;
        const std::wstring open = std::wstring(L"open ") + c.name + L" type mpegvideo";
        testing::internal::CaptureStderr();
        ASSERT_EQ(Send(open.c_str()), 0u) << path;
        EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string("mciSendString: ") + c.problem);
        EXPECT_EQ(Status(c.name, L"length"), length) << path;
        EXPECT_EQ(Send((std::wstring(L"play ") + c.name).c_str()), 0u) << path;
        EXPECT_EQ(Mode(c.name), L"playing") << path;
    }
}

TEST_F(Soundtrack, MissingAudioDeviceLeavesTheShowSilent)
{
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_EQ(mciSendStringW(kOpen, nullptr, 0, nullptr), MCIERR_HARDWARE);
    EXPECT_EQ(mciSendStringW(kPlay, nullptr, 0, nullptr), MCIERR_INVALID_DEVICE_NAME);
    EXPECT_EQ(Send(L"pause Res/vexa-rhino.mp3"), MCIERR_INVALID_DEVICE_NAME);
    EXPECT_EQ(Send(L"resume Res/vexa-rhino.mp3"), MCIERR_INVALID_DEVICE_NAME);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    EXPECT_EQ(mciSendStringW(kOpen, nullptr, 0, nullptr), 0u) << "a later open starts from scratch";
}

// The position is the time the track has sounded: it runs with the clock while playing and holds
// while paused; a virtual clock moves it as it moves the frame timer. Pausing or resuming a track in
// the other state changes nothing, and play on a paused track continues it.
TEST_F(Soundtrack, PauseHoldsThePositionAndResumeContinuesFromIt)
{
    VirtualClock clock(1'000'000);
    InstallVirtualClock(&clock);
    ASSERT_EQ(Send(L"open Res/long.mp3 type mpegvideo alias long"), 0u);
    const long length = std::stol(Status(L"long", L"length"));
    EXPECT_GE(length, 8000);  // the decoder also counts the encoder's delay and padding, a few frames
    EXPECT_LE(length, 8200);
    const std::tuple<const wchar_t*, DWORD, const wchar_t*, long> steps[] = {
        {L"pause long", 500, L"stopped", 0},        {L"play long", 1250, L"playing", 1250},
        {L"resume long", 0, L"playing", 1250},      {L"pause long", 5000, L"paused", 1250},
        {L"pause long", 700, L"paused", 1250},      {L"resume long", 500, L"playing", 1750},
        {L"pause long", 900, L"paused", 1750},      {L"play long", 250, L"playing", 2000},
        {L"play long", 60'000, L"playing", length},  // the position ends at the track's length
    };
    for (const auto& [command, advanceMs, mode, position] : steps) {
        ASSERT_EQ(Send(command), 0u) << command;
        EXPECT_EQ(Mode(L"long"), mode) << command;
        clock.AdvanceMilliseconds(advanceMs);
        EXPECT_EQ(Position(L"long"), position) << command << " then " << advanceMs << " ms";
    }
}

// On the real clock a paused track must stand still on the audio thread: paused longer than it
// lasts, it is still there to resume, and it then plays out to its end.
TEST_F(Soundtrack, APausedTrackDoesNotRunOutAndFinishesAfterItsResume)
{
    ASSERT_EQ(Send(kOpen), 0u);
    ASSERT_EQ(Send(kPlay), 0u);
    ASSERT_EQ(Send(L"pause Res/vexa-rhino.mp3"), 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    EXPECT_EQ(Mode(L"Res/vexa-rhino.mp3"), L"paused");
    ASSERT_EQ(Send(L"resume Res/vexa-rhino.mp3"), 0u);
    std::wstring mode;
    for (int i = 0; i < 60 && (mode = Mode(L"Res/vexa-rhino.mp3")) == L"playing"; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(mode, L"stopped");
    EXPECT_EQ(Status(L"Res/vexa-rhino.mp3", L"position"), Status(L"Res/vexa-rhino.mp3", L"length"));
}

}  // namespace
