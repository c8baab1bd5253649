#include "platform/d3dx11/ImmutableBuffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "tests/platform/d3dx11/RecordingDevice.h"

namespace {

TEST(ImmutableBuffer, HoldsTheBytesWithNoCpuAccessFlagsOrPitch)
{
    RecordingDevice device;
    const std::uint32_t data[3] = {7, 8, 9};
    ID3D11Buffer* buffer = nullptr;
    ASSERT_EQ(CreateImmutableBuffer(&device, D3D11_BIND_INDEX_BUFFER, data, sizeof data, &buffer), S_OK);

    const RecordingBuffer* recorded = RecordingDevice::Recorded(buffer);
    ASSERT_NE(recorded, nullptr);
    EXPECT_EQ(recorded->desc.ByteWidth, 12u);
    EXPECT_EQ(recorded->desc.Usage, D3D11_USAGE_IMMUTABLE);
    EXPECT_EQ(recorded->desc.BindFlags, static_cast<UINT>(D3D11_BIND_INDEX_BUFFER));
    EXPECT_EQ(recorded->desc.CPUAccessFlags | recorded->desc.MiscFlags | recorded->desc.StructureByteStride, 0u);
    ASSERT_EQ(recorded->bytes.size(), sizeof data);
    EXPECT_EQ(std::memcmp(recorded->bytes.data(), data, sizeof data), 0);
    for (UINT pitch : device.pitches)
        EXPECT_EQ(pitch, 0u);
}

TEST(ImmutableBuffer, RefusesWhatCannotBeABufferWithoutAskingTheDevice)
{
    RecordingDevice device;
    RecordingBuffer stale(D3D11_BUFFER_DESC{}, nullptr);
    const std::uint32_t data = 0;
    ID3D11Buffer* buffer = &stale;  // overwritten even on refusal
    EXPECT_EQ(CreateImmutableBuffer(nullptr, D3D11_BIND_VERTEX_BUFFER, &data, 4, &buffer), E_INVALIDARG);
    EXPECT_EQ(buffer, nullptr);
    buffer = &stale;
    EXPECT_EQ(CreateImmutableBuffer(&device, D3D11_BIND_VERTEX_BUFFER, nullptr, 4, &buffer), E_INVALIDARG);
    EXPECT_EQ(buffer, nullptr);
    EXPECT_EQ(CreateImmutableBuffer(&device, D3D11_BIND_VERTEX_BUFFER, &data, 0, &buffer), E_INVALIDARG);
    // A byte width a UINT cannot hold must not wrap round to a small buffer.
    EXPECT_EQ(CreateImmutableBuffer(&device, D3D11_BIND_VERTEX_BUFFER, &data, std::size_t{1} << 33, &buffer),
              E_INVALIDARG);
    EXPECT_EQ(device.createCalls, 0);
}

TEST(ImmutableBuffer, PassesTheDevicesFailureOn)
{
    RecordingDevice device;
    device.failCreation = true;
    const std::uint32_t data = 0;
    ID3D11Buffer* buffer = nullptr;
    EXPECT_EQ(CreateImmutableBuffer(&device, D3D11_BIND_VERTEX_BUFFER, &data, 4, &buffer), E_OUTOFMEMORY);
    EXPECT_EQ(buffer, nullptr);
    EXPECT_EQ(device.createCalls, 1);
}

}  // namespace
