// Multimedia command strings over SDL2_mixer. Music streams on SDL's audio thread, so no command
// here waits for playback.
#include "platform/media/Mci.h"
#include "platform/media/AudioFileScan.h"
#include "platform/win32/Win32Platform.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace {

struct Device {
    std::string name;  // the alias, or the element as written
    Mix_Music* music = nullptr;
    // The bytes the track is decoded from, where it is played from memory.
    std::shared_ptr<const std::string> bytes;
    // The played time: seconds up to the last play or resume, and the counter value there while
    // the track sounds.
    double playedSeconds = 0.0;
    std::int64_t soundingSince = 0;
    bool sounding = false;  // started or resumed, and neither paused nor halted since
};

struct State {
    std::vector<Device> devices;
    bool audioOpen = false;
    bool exitHookInstalled = false;
    Mix_Music* current = nullptr;  // the track last started
};

State& Global()
{
    static State state;
    return state;
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool SameName(const std::string& a, const std::string& b)
{
    return Lower(a) == Lower(b);
}

// Splits on blanks; double quotes group a word with blanks in it.
MCIERROR Tokenize(const std::string& command, std::vector<std::string>& words)
{
    std::size_t i = 0;
    while (i < command.size()) {
        if (std::isspace(static_cast<unsigned char>(command[i])) != 0) {
            ++i;
            continue;
        }
        std::string word;
        if (command[i] == '"') {
            const std::size_t end = command.find('"', i + 1);
            if (end == std::string::npos) {
                return MCIERR_NO_CLOSING_QUOTE;
            }
            word = command.substr(i + 1, end - i - 1);
            i = end + 1;
        } else {
            while (i < command.size() && std::isspace(static_cast<unsigned char>(command[i])) == 0) {
                word.push_back(command[i++]);
            }
        }
        words.push_back(word);
    }
    return 0;
}

Device* FindDevice(const std::string& name)
{
    for (Device& device : Global().devices) {
        if (SameName(device.name, name)) {
            return &device;
        }
    }
    return nullptr;
}

// The words of a command that takes one device name and nothing else ("play <name>"): 0, or the
// code for a missing or extra word.
MCIERROR OneNameOnly(const std::vector<std::string>& words)
{
    if (words.size() < 2) {
        return MCIERR_MISSING_PARAMETER;
    }
    return words.size() > 2 ? MCIERR_UNRECOGNIZED_KEYWORD : 0;
}

void ExitHook()
{
    MciShutdown();
}

std::int64_t Counter()
{
    LARGE_INTEGER value{};
    QueryPerformanceCounter(&value);
    return value.QuadPart;
}

double SecondsSince(std::int64_t start)
{
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(Counter() - start) / static_cast<double>(frequency.QuadPart);
}

bool IsCurrent(const Device& device)
{
    return Global().current == device.music;
}

bool IsPaused(const Device& device)
{
    return IsCurrent(device) && Mix_PausedMusic() != 0;
}

// Mix_PlayingMusic stays true for a paused track.
bool IsPlaying(const Device& device)
{
    return IsCurrent(device) && Mix_PlayingMusic() != 0 && !IsPaused(device);
}

double LengthSeconds(const Device& device)
{
    const double length = Mix_MusicDuration(device.music);
    return length > 0.0 ? length : 0.0;
}

double PlayedSeconds(const Device& device)
{
    double played = device.playedSeconds;
    if (device.sounding) {
        played += SecondsSince(device.soundingSince);
    }
    const double length = LengthSeconds(device);
    // A track that ended on its own has played all of itself, whatever the clock says.
    if (length > 0.0 && (played > length || (device.sounding && !IsPlaying(device)))) {
        played = length;
    }
    return played;
}

void StartSounding(Device& device)
{
    device.soundingSince = Counter();
    device.sounding = true;
}

void StopSounding(Device& device)
{
    device.playedSeconds = PlayedSeconds(device);
    device.sounding = false;
}

bool OpenAudio()
{
    State& state = Global();
    if (state.audioOpen) {
        return true;
    }
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        std::fprintf(stderr, "mciSendString: no audio (%s)\n", SDL_GetError());
        return false;
    }
    Mix_Init(MIX_INIT_MP3);
    if (Mix_OpenAudio(44100, MIX_DEFAULT_FORMAT, 2, 2048) != 0) {
        std::fprintf(stderr, "mciSendString: cannot open the audio device (%s)\n", Mix_GetError());
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    state.audioOpen = true;
    if (!state.exitHookInstalled) {
        std::atexit(ExitHook);
        state.exitHookInstalled = true;
    }
    return true;
}

void CloseAudioIfUnused()
{
    State& state = Global();
    if (state.audioOpen && state.devices.empty()) {
        Mix_HaltMusic();
        Mix_CloseAudio();
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        state.audioOpen = false;
        // The last user of SDL also frees what SDL keeps process-wide.
        if (SDL_WasInit(SDL_INIT_EVERYTHING) == 0) {
            SDL_Quit();
        }
    }
}

void CloseDevice(Device& device)
{
    State& state = Global();
    device.sounding = false;
    if (state.current == device.music) {
        Mix_HaltMusic();
        state.current = nullptr;
    }
    Mix_FreeMusic(device.music);
    device.music = nullptr;
}

bool KnownType(const std::string& type)
{
    const std::string lower = Lower(type);
    return lower == "mpegvideo" || lower == "waveaudio";
}

bool KnownExtension(const std::string& file)
{
    const std::size_t dot = file.rfind('.');
    if (dot == std::string::npos) {
        return false;
    }
    const std::string extension = Lower(file.substr(dot + 1));
    return extension == "mp3" || extension == "wav" || extension == "ogg";
}

// Music files past this are not scanned (the scan reads the whole file); they play as they are.
constexpr off_t kMaxScannedBytes = off_t{512} << 20;

bool ExpectsMpeg(const std::string& element, const std::string& type)
{
    if (!type.empty()) {
        return Lower(type) == "mpegvideo";
    }
    const std::size_t dot = element.rfind('.');
    return Lower(element.substr(dot + 1)) == "mp3";
}

// Loads a track said to be MPEG audio after looking at what it holds: audio of another kind is
// played as what it is (as a decoder that looks at the content would), a file that holds no MPEG
// audio is refused, and one cut short is named and played as far as it goes. Null when refused.
Mix_Music* LoadMpegTrack(const std::string& element, off_t size, std::shared_ptr<const std::string>& played)
{
    if (size > kMaxScannedBytes) {
        return Mix_LoadMUS(element.c_str());
    }
    std::ifstream file(element, std::ios::binary);
    auto bytes = std::make_shared<std::string>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    const AudioFileScan scan = ScanAudioFile(*bytes);
    switch (scan.content) {
    case AudioContent::mpeg:
        if (scan.CutShort()) {
            std::fprintf(stderr, "mciSendString: %s: %s\n", element.c_str(), DescribeCutShort(scan).c_str());
        }
        if (!scan.tagProblem.empty()) {
            // The decoder would trust the tag's size (and complain about it without naming the
            // file): it gets the audio from its first frame instead.
            std::fprintf(stderr, "mciSendString: %s: %s; it plays from there\n", element.c_str(),
                         scan.tagProblem.c_str());
            played = std::move(bytes);
            SDL_RWops* audio = SDL_RWFromConstMem(played->data() + scan.firstFrame,
                                                  static_cast<int>(played->size() - scan.firstFrame));
            return Mix_LoadMUSType_RW(audio, MUS_MP3, 1);
        }
        return Mix_LoadMUS(element.c_str());
    case AudioContent::unknown:
        std::fprintf(stderr, "mciSendString: %s: not MPEG audio (no MPEG audio frames near its start)\n",
                     element.c_str());
        Mix_SetError("not MPEG audio");
        return nullptr;
    default:
        std::fprintf(stderr, "mciSendString: %s: holds %s audio, not MPEG; it is played as what it holds\n",
                     element.c_str(), AudioContentName(scan.content));
        // Without a type to go by, SDL_mixer chooses the decoder by the content.
        return Mix_LoadMUS_RW(SDL_RWFromFile(element.c_str(), "rb"), 1);
    }
}

MCIERROR Open(const std::vector<std::string>& words)
{
    if (words.size() < 2) {
        return MCIERR_MISSING_PARAMETER;
    }
    const std::string& element = words[1];
    std::string type;
    std::string alias;
    for (std::size_t i = 2; i < words.size(); i += 2) {
        const std::string keyword = Lower(words[i]);
        if (keyword != "type" && keyword != "alias") {
            return MCIERR_UNRECOGNIZED_KEYWORD;
        }
        if (i + 1 >= words.size()) {
            return MCIERR_MISSING_STRING_ARGUMENT;
        }
        (keyword == "type" ? type : alias) = words[i + 1];
    }
    if (!type.empty() ? !KnownType(type) : !KnownExtension(element)) {
        return type.empty() ? MCIERR_EXTENSION_NOT_FOUND : MCIERR_INVALID_DEVICE_NAME;
    }
    const std::string name = alias.empty() ? element : alias;
    if (FindDevice(name) != nullptr) {
        return MCIERR_DEVICE_OPEN;
    }
    struct stat info {};
    if (stat(element.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        std::fprintf(stderr, "mciSendString: %s: not found or not a file\n", element.c_str());
        return MCIERR_FILE_NOT_FOUND;
    }
    if (!OpenAudio()) {
        return MCIERR_HARDWARE;
    }
    std::shared_ptr<const std::string> bytes;
    Mix_Music* music = ExpectsMpeg(element, type) ? LoadMpegTrack(element, info.st_size, bytes)
                                                  : Mix_LoadMUS(element.c_str());
    if (music == nullptr) {
        std::fprintf(stderr, "mciSendString: %s: cannot be played (%s)\n", element.c_str(), Mix_GetError());
        CloseAudioIfUnused();
        return MCIERR_INVALID_FILE;
    }
    Global().devices.push_back(Device{name, music, std::move(bytes)});
    return 0;
}

MCIERROR Play(const std::vector<std::string>& words)
{
    if (const MCIERROR error = OneNameOnly(words)) {
        return error;
    }
    Device* device = FindDevice(words[1]);
    if (device == nullptr) {
        return MCIERR_INVALID_DEVICE_NAME;
    }
    State& state = Global();
    if (IsPaused(*device)) {
        Mix_ResumeMusic();  // play continues a paused track from where it stands
        StartSounding(*device);
        return 0;
    }
    if (IsPlaying(*device)) {
        return 0;  // already playing: play goes on
    }
    // Starting a track halts the one sounding before; its played time stops there.
    for (Device& other : state.devices) {
        if (other.sounding) {
            StopSounding(other);
        }
    }
    if (Mix_PlayMusic(device->music, 1) != 0) {
        std::fprintf(stderr, "mciSendString: %s: cannot start (%s)\n", device->name.c_str(), Mix_GetError());
        return MCIERR_HARDWARE;
    }
    state.current = device->music;
    device->playedSeconds = 0.0;
    StartSounding(*device);
    return 0;
}

// pause and resume: only a playing track pauses and only a paused one resumes; otherwise they do
// nothing and succeed, so a caller need not know whether the track has ended meanwhile.
MCIERROR PauseOrResume(const std::vector<std::string>& words, bool pause)
{
    if (const MCIERROR error = OneNameOnly(words)) {
        return error;
    }
    Device* device = FindDevice(words[1]);
    if (device == nullptr) {
        return MCIERR_INVALID_DEVICE_NAME;
    }
    if (pause && IsPlaying(*device)) {
        StopSounding(*device);  // first: a paused track no longer counts as playing
        Mix_PauseMusic();
    } else if (!pause && IsPaused(*device)) {
        Mix_ResumeMusic();
        StartSounding(*device);
    }
    return 0;
}

MCIERROR Status(const std::vector<std::string>& words, std::string& result)
{
    if (words.size() < 3) {
        return MCIERR_MISSING_PARAMETER;
    }
    Device* device = FindDevice(words[1]);
    if (device == nullptr) {
        return MCIERR_INVALID_DEVICE_NAME;
    }
    const std::string item = Lower(words[2]);
    if (words.size() > 3) {
        return MCIERR_UNRECOGNIZED_KEYWORD;
    }
    if (item == "mode") {
        result = IsPaused(*device) ? "paused" : IsPlaying(*device) ? "playing" : "stopped";
    } else if (item == "position") {
        result = std::to_string(static_cast<long long>(PlayedSeconds(*device) * 1000.0 + 0.5));
    } else if (item == "length") {
        result = std::to_string(static_cast<long long>(LengthSeconds(*device) * 1000.0 + 0.5));
    } else {
        return MCIERR_UNRECOGNIZED_KEYWORD;
    }
    return 0;
}

MCIERROR Close(const std::vector<std::string>& words)
{
    if (const MCIERROR error = OneNameOnly(words)) {
        return error;
    }
    State& state = Global();
    if (Lower(words[1]) == "all") {
        MciShutdown();
        return 0;
    }
    Device* device = FindDevice(words[1]);
    if (device == nullptr) {
        return MCIERR_INVALID_DEVICE_NAME;
    }
    CloseDevice(*device);
    state.devices.erase(state.devices.begin() + (device - state.devices.data()));
    CloseAudioIfUnused();
    return 0;
}

}  // namespace

MCIERROR mciSendStringW(LPCWSTR command, LPWSTR returnString, UINT returnLength, HWND)
{
    if (returnString != nullptr && returnLength > 0) {
        returnString[0] = L'\0';
    }
    if (command == nullptr) {
        return MCIERR_MISSING_COMMAND_STRING;
    }
    std::vector<std::string> words;
    if (const MCIERROR error = Tokenize(NarrowFromWide(command), words); error != 0) {
        return error;
    }
    if (words.empty()) {
        return MCIERR_MISSING_COMMAND_STRING;
    }
    const std::string verb = Lower(words[0]);
    std::string result;
    MCIERROR error = 0;
    if (verb == "open") {
        error = Open(words);
    } else if (verb == "play") {
        error = Play(words);
    } else if (verb == "pause" || verb == "resume") {
        error = PauseOrResume(words, verb == "pause");
    } else if (verb == "status") {
        error = Status(words, result);
    } else if (verb == "close") {
        error = Close(words);
    } else {
        return MCIERR_UNRECOGNIZED_COMMAND;
    }
    if (error == 0 && !result.empty() && returnString != nullptr) {
        const std::wstring wide = WideFromNarrow(result);
        if (wide.size() >= returnLength) {
            return MCIERR_PARAM_OVERFLOW;
        }
        wide.copy(returnString, wide.size());
        returnString[wide.size()] = L'\0';
    }
    return error;
}

void MciShutdown()
{
    State& state = Global();
    for (Device& device : state.devices) {
        CloseDevice(device);
    }
    state.devices.clear();
    CloseAudioIfUnused();
}
