#pragma once
// The multimedia command strings the program sends, over SDL2_mixer:
//   open <file> [type mpegvideo|waveaudio] [alias <name>]
//   play <name>            (starts the track, or continues a paused one; it plays on to its end on
//                           SDL's audio thread)
//   pause <name>           (holds a playing track where it is; anything else is left as it is)
//   resume <name>          (continues a paused track; anything else is left as it is)
//   status <name> mode     (writes "playing", "paused" or "stopped" to the return buffer)
//   status <name> position (milliseconds of the track played so far, in decimal)
//   status <name> length   (milliseconds of the whole track; 0 when the decoder cannot tell)
//   close <name>|all
// The position is the time the track has been sounding, measured by QueryPerformanceCounter from
// each play or resume, and held while paused: what a listener has heard, within the device's buffer.
// So it follows a virtual clock as the frame timer does, and ends at the track's length.
// Words are case-insensitive; a file name with blanks goes in double quotes. A failed command
// returns its MCIERR_ code and leaves everything as it was. One track sounds at a time.
#include "platform/win32/Win32.h"

using MCIERROR = DWORD;

constexpr MCIERROR MCIERR_BASE = 256;
constexpr MCIERROR MCIERR_INVALID_DEVICE_ID = MCIERR_BASE + 1;
constexpr MCIERROR MCIERR_UNRECOGNIZED_KEYWORD = MCIERR_BASE + 3;
constexpr MCIERROR MCIERR_UNRECOGNIZED_COMMAND = MCIERR_BASE + 5;
constexpr MCIERROR MCIERR_HARDWARE = MCIERR_BASE + 6;
constexpr MCIERROR MCIERR_INVALID_DEVICE_NAME = MCIERR_BASE + 7;
constexpr MCIERROR MCIERR_OUT_OF_MEMORY = MCIERR_BASE + 8;
constexpr MCIERROR MCIERR_DEVICE_OPEN = MCIERR_BASE + 9;
constexpr MCIERROR MCIERR_MISSING_COMMAND_STRING = MCIERR_BASE + 11;
constexpr MCIERROR MCIERR_PARAM_OVERFLOW = MCIERR_BASE + 12;
constexpr MCIERROR MCIERR_MISSING_STRING_ARGUMENT = MCIERR_BASE + 13;
constexpr MCIERROR MCIERR_MISSING_PARAMETER = MCIERR_BASE + 17;
constexpr MCIERROR MCIERR_FILE_NOT_FOUND = MCIERR_BASE + 19;
constexpr MCIERROR MCIERR_EXTENSION_NOT_FOUND = MCIERR_BASE + 25;
constexpr MCIERROR MCIERR_NO_CLOSING_QUOTE = MCIERR_BASE + 38;
constexpr MCIERROR MCIERR_INVALID_FILE = MCIERR_BASE + 40;

MCIERROR mciSendStringW(LPCWSTR command, LPWSTR returnString, UINT returnLength, HWND callback);

// Stops and closes every track and the audio device. Safe to call more than once; also runs at exit.
void MciShutdown();
