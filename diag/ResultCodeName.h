#pragma once
#include "platform/win32/WinTypes.h"

#include <cstdint>
#include <span>

// The symbolic name the Windows and DirectX headers give a result code, e.g. L"E_FAIL" for
// 0x80004005; L"Unknown" for a code they do not name. Never null.
const wchar_t* ResultCodeName(HRESULT code);

struct ResultCodeEntry {
    std::uint32_t code;
    const wchar_t* name;
};

// The whole table, sorted by code as an unsigned value, one entry per code.
std::span<const ResultCodeEntry> ResultCodeEntries();
