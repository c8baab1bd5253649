#include "show/ModelBuffers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/platform/d3dx11/RecordingDevice.h"

namespace {

template <typename T>
std::vector<T> Contents(const RecordingBuffer* buffer)
{
    std::vector<T> items(buffer->bytes.size() / sizeof(T));
    std::memcpy(items.data(), buffer->bytes.data(), items.size() * sizeof(T));
    return items;
}

void ExpectImmutable(const RecordingBuffer* buffer, UINT byteWidth, UINT bindFlags)
{
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffer->desc.ByteWidth, byteWidth);
    EXPECT_EQ(buffer->desc.Usage, D3D11_USAGE_IMMUTABLE);
    EXPECT_EQ(buffer->desc.BindFlags, bindFlags);
    EXPECT_EQ(buffer->desc.CPUAccessFlags, 0u);
    EXPECT_EQ(buffer->desc.MiscFlags, 0u);
    EXPECT_EQ(buffer->desc.StructureByteStride, 0u);
}

// Flattened as the assembly flattens: one vertex per corner, indices 0, 1, 2, ... and a draw of
// the first indexCount of them.
template <typename Model>
Model Flattened(size_t corners, uint32_t indexCount)
{
    Model model;
    model.vertices.resize(corners);
    for (uint32_t i = 0; i < corners; ++i) {
        model.vertices[i].Position = Float3{float(i), 0, 0};
        model.indices.push_back(i);
    }
    model.indexCount = indexCount;
    return model;
}

TEST(ModelBuffers, BuffersHoldTheListsWithTheDrawnIndexCount)
{
    // Nine corners of which the first mesh draws six (the sheep's rule).
    const LitModelData sheep = Flattened<LitModelData>(9, 6);
    RecordingDevice device;
    ID3D11Buffer* vertexBuffer = nullptr;
    ID3D11Buffer* indexBuffer = nullptr;
    ASSERT_EQ(CreateModelBuffers(&device, sheep, &vertexBuffer, &indexBuffer), S_OK);

    // All nine vertices, but only the six drawn indices.
    ExpectImmutable(RecordingDevice::Recorded(vertexBuffer), 9 * 24, D3D11_BIND_VERTEX_BUFFER);
    ExpectImmutable(RecordingDevice::Recorded(indexBuffer), 6 * 4, D3D11_BIND_INDEX_BUFFER);
    const auto vertices = Contents<PosNormalVertex>(RecordingDevice::Recorded(vertexBuffer));
    EXPECT_EQ(vertices[8].Position, (Float3{8, 0, 0}));
    EXPECT_EQ(Contents<uint32_t>(RecordingDevice::Recorded(indexBuffer)), (std::vector<uint32_t>{0, 1, 2, 3, 4, 5}));
    for (UINT pitch : device.pitches) {
        EXPECT_EQ(pitch, 0u);
    }

    const PartModelData room = Flattened<PartModelData>(6, 6);
    ASSERT_EQ(CreateModelBuffers(&device, room, &vertexBuffer, &indexBuffer), S_OK);
    ExpectImmutable(RecordingDevice::Recorded(vertexBuffer), 6 * 44, D3D11_BIND_VERTEX_BUFFER);
    ExpectImmutable(RecordingDevice::Recorded(indexBuffer), 6 * 4, D3D11_BIND_INDEX_BUFFER);
}

TEST(ModelBuffers, EmptyOrInconsistentModelsCreateNothing)
{
    RecordingDevice device;
    RecordingBuffer stale(D3D11_BUFFER_DESC{}, nullptr);
    ID3D11Buffer* vertexBuffer = &stale;  // both must be overwritten
    ID3D11Buffer* indexBuffer = &stale;
    EXPECT_EQ(CreateModelBuffers(&device, LitModelData{}, &vertexBuffer, &indexBuffer), S_OK);
    EXPECT_EQ(vertexBuffer, nullptr);
    EXPECT_EQ(indexBuffer, nullptr);

    // A draw count beyond the index list would read past it.
    LitModelData shortList;
    shortList.vertices.resize(3);
    shortList.indices = {0, 1, 2};
    shortList.indexCount = 6;
    EXPECT_EQ(CreateModelBuffers(&device, shortList, &vertexBuffer, &indexBuffer), E_INVALIDARG);
    EXPECT_EQ(device.createCalls, 0);

    device.failCreation = true;
    shortList.indexCount = 3;
    EXPECT_EQ(CreateModelBuffers(&device, shortList, &vertexBuffer, &indexBuffer), E_OUTOFMEMORY);
    EXPECT_EQ(vertexBuffer, nullptr);
    EXPECT_EQ(indexBuffer, nullptr);
}

}  // namespace
