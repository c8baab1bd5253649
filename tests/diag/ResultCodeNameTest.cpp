#include "diag/ResultCodeName.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <set>
#include <string>

namespace {

TEST(ResultCodeName, NamesWellKnownCodes)
{
    struct Case {
        std::uint32_t code;
        const wchar_t* name;
    };
    const Case cases[] = {
        {0x00000000u, L"S_OK"},
        {0x00000001u, L"S_FALSE"},
        {0x80004005u, L"E_FAIL"},
        {0x80004004u, L"E_ABORT"},
        {0x80004003u, L"E_POINTER"},
        {0x8000FFFFu, L"E_UNEXPECTED"},
        {0x80070057u, L"E_INVALIDARG"},
        {0x8007000Eu, L"E_OUTOFMEMORY"},
        {0x80070005u, L"E_ACCESSDENIED"},
        // Win32 errors appear in their HRESULT_FROM_WIN32 form.
        {0x80070002u, L"ERROR_FILE_NOT_FOUND"},
        {0x80070003u, L"ERROR_PATH_NOT_FOUND"},
        {0x80072746u, L"WSAECONNRESET"},
        {0x800706BAu, L"RPC_S_SERVER_UNAVAILABLE"},
        {0x80030002u, L"STG_E_FILENOTFOUND"},
        {0x800401E3u, L"MK_E_UNAVAILABLE"},
        {0x887A0005u, L"DXGI_ERROR_DEVICE_REMOVED"},
        {0x887A0001u, L"DXGI_ERROR_INVALID_CALL"},
        {0x087A0001u, L"DXGI_STATUS_OCCLUDED"},
        {0x887C0002u, L"D3D11_ERROR_FILE_NOT_FOUND"},
        {0x88790002u, L"D3D10_ERROR_FILE_NOT_FOUND"},
        {0x8876086Cu, L"D3DERR_INVALIDCALL"},
        {0x88760B59u, L"D3DXERR_INVALIDDATA"},
        {0x88990001u, L"D2DERR_WRONG_STATE"},
        {0x88960001u, L"XAUDIO2_E_INVALID_CALL"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(ResultCodeName(MakeHresult(c.code)), c.name) << std::hex << c.code;
}

TEST(ResultCodeName, UnnamedCodesAreUnknown)
{
    for (std::uint32_t code : {0x12345678u, 0xFFFFFFFFu, 0x80070000u + 0xFFFFu, 0x7FFFFFFFu})
        EXPECT_STREQ(ResultCodeName(MakeHresult(code)), L"Unknown") << std::hex << code;
}

TEST(ResultCodeName, TableIsSortedWithOneNamePerCode)
{
    const auto entries = ResultCodeEntries();
    ASSERT_GT(entries.size(), 3000u);
    std::set<std::wstring> names;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        ASSERT_NE(entries[i].name, nullptr);
        EXPECT_GT(std::wcslen(entries[i].name), 0u);
        if (i > 0) {
            EXPECT_LT(entries[i - 1].code, entries[i].code) << "entry " << i;
        }
        EXPECT_TRUE(names.insert(entries[i].name).second) << "entry " << i;
        // Every entry is reachable through the lookup.
        EXPECT_EQ(ResultCodeName(MakeHresult(entries[i].code)), entries[i].name);
    }
}

}  // namespace
