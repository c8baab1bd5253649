#pragma once
// The COM basics the graphics interfaces are built on: interface identifiers and IUnknown.
#include <cstddef>
#include <cstring>

#include "platform/win32/WinTypes.h"

// Win32 names the graphics interfaces need beyond WinTypes.h (same types as on Windows).
using UINT8 = std::uint8_t;
using SIZE_T = std::size_t;
using HMODULE = HINSTANCE;

struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
};
using IID = GUID;
using REFIID = const IID&;
using REFGUID = const GUID&;

inline bool operator==(const GUID& a, const GUID& b)
{
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}

// `__uuidof(ID3D11Texture2D)` reads as on Windows and names our IID_ constant.
#define __uuidof(type) IID_##type

inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

struct IUnknown {
    virtual HRESULT QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    virtual ~IUnknown() = default;
};
