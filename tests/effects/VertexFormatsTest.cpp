// Each input layout reads its record exactly: its elements end where the record does, slot 1
// elements read the 80-byte instance record, and slot kinds and step rates match.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "effects/VertexFormats.h"
#include "effects/VertexLayouts.h"

namespace {

UINT FormatSize(DXGI_FORMAT format)
{
    switch (format) {
    case DXGI_FORMAT_R32G32_FLOAT: return 8;
    case DXGI_FORMAT_R32G32B32_FLOAT: return 12;
    case DXGI_FORMAT_R32G32B32A32_FLOAT: return 16;
    default: return 0;
    }
}

struct LayoutCase {
    const char* name;
    const D3D11_INPUT_ELEMENT_DESC* elements;
    UINT count;
    UINT vertexStride;
};

template <UINT N>
LayoutCase Case(const char* name, const D3D11_INPUT_ELEMENT_DESC (&elements)[N], UINT stride)
{
    return {name, elements, N, stride};
}

constexpr UINT kInstanceStride = sizeof(InstanceRecord);

TEST(VertexLayouts, ElementsCoverTheirRecordsWithoutGapsOrOverlap)
{
    const LayoutCase cases[] = {
        Case("PosColor", InputLayoutDesc::PosColor, sizeof(PosColorVertex)),
        Case("PosNormal", InputLayoutDesc::PosNormal, sizeof(PosNormalVertex)),
        Case("Basic32", InputLayoutDesc::Basic32, sizeof(Basic32Vertex)),
        Case("InstancedBasic32", InputLayoutDesc::InstancedBasic32, sizeof(Basic32Vertex)),
        Case("PosTex", InputLayoutDesc::PosTex, sizeof(PosTexVertex)),
        Case("Pos", InputLayoutDesc::Pos, sizeof(PosVertex)),
        Case("InstancedPos", InputLayoutDesc::InstancedPos, sizeof(PosVertex)),
        Case("PosNormalTexTan", InputLayoutDesc::PosNormalTexTan, sizeof(PosNormalTexTanVertex)),
    };
    for (const LayoutCase& c : cases) {
        UINT end[2] = {0, 0};
        for (UINT i = 0; i < c.count; ++i) {
            const D3D11_INPUT_ELEMENT_DESC& e = c.elements[i];
            const std::string where = std::string(c.name) + " element " + std::to_string(i);
            ASSERT_LT(e.InputSlot, 2u) << where;
            EXPECT_EQ(end[e.InputSlot], e.AlignedByteOffset) << where << ": elements follow each other";
            EXPECT_NE(0u, FormatSize(e.Format)) << where;
            end[e.InputSlot] = e.AlignedByteOffset + FormatSize(e.Format);
            EXPECT_EQ(e.InputSlot == 0 ? D3D11_INPUT_PER_VERTEX_DATA : D3D11_INPUT_PER_INSTANCE_DATA, e.InputSlotClass)
                << where;
            EXPECT_EQ(e.InputSlot, e.InstanceDataStepRate) << where;
            const bool world = std::strcmp(e.SemanticName, "WORLD") == 0;
            EXPECT_EQ(world ? e.AlignedByteOffset / 16 : 0u, e.SemanticIndex) << where;
        }
        EXPECT_EQ(c.vertexStride, end[0]) << c.name;
        if (end[1] != 0) {
            EXPECT_EQ(kInstanceStride, end[1]) << c.name;
        }
    }
    EXPECT_EQ(8u, std::size(InputLayoutDesc::InstancedBasic32));
    EXPECT_EQ(6u, std::size(InputLayoutDesc::InstancedPos));
    EXPECT_EQ(4u, std::size(InputLayoutDesc::PosNormalTexTan));
}

}  // namespace
