#pragma once
// A soundtrack for the pause tests: a silent WAV file, played through the multimedia command strings,
// whose reported position is compared with the frame timer's running time.
#include <cstdint>
#include <fstream>
#include <string>

#include "platform/media/Mci.h"

// Seconds of silence as 8 kHz mono 8-bit PCM (whose silence is 0x80). Little-endian host assumed.
inline bool WriteSilentWav(const char* path, std::uint32_t seconds)
{
    const std::uint32_t bytes = 8000 * seconds;
    const std::uint32_t header[] = {0x46464952, 36 + bytes, 0x45564157, 0x20746d66, 16,   0x00010001,
                                    8000,       8000,       0x00080001, 0x61746164, bytes};
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(header), sizeof header);
    out << std::string(bytes, '\x80');
    return static_cast<bool>(out);
}

// "status <device> <item>", or "error".
inline std::wstring TrackStatus(const wchar_t* device, const wchar_t* item)
{
    wchar_t answer[32] = L"";
    const std::wstring command = std::wstring(L"status ") + device + L" " + item;
    return mciSendStringW(command.c_str(), answer, 32, nullptr) == 0 ? std::wstring(answer) : L"error";
}

// Milliseconds played; -1 when the device does not answer.
inline long TrackPosition(const wchar_t* device)
{
    const std::wstring text = TrackStatus(device, L"position");
    return text == L"error" ? -1 : std::stol(text);
}
