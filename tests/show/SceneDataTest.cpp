#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "show/SceneConstants.h"
#include "show/ScreenQuad.h"
#include "show/SphereInstances.h"
#include "tests/math/MathTestUtil.h"
#include "tests/platform/d3dx11/RecordingDevice.h"

namespace {

TEST(SceneConstants, CaptionAndLights)
{
    EXPECT_EQ(kMainWindowCaption.size(), 34u);

    const auto first = FirstSceneLights();
    const auto second = SecondSceneLights();
    EXPECT_EQ(std::memcmp(&first[1], &second[1], 2 * sizeof(DirectionalLight)), 0);
    for (const DirectionalLight& light : first) {
        EXPECT_NEAR(Length3(light.Direction), 1.0f, 1e-3f);
    }

    // The dark spot lights nothing; every spot reaches across the whole scene.
    const SpotLight dark = DarkSpot();
    EXPECT_EQ(dark.Ambient, (Float4{0, 0, 0, 1}));
    EXPECT_EQ(dark.Diffuse, (Float4{0, 0, 0, 1}));
    EXPECT_EQ(dark.Specular, (Float4{0, 0, 0, 1}));
    for (const SpotLight& spot : {InitialSecondCameraSpot(), InitialActiveCameraSpot(), dark}) {
        EXPECT_EQ(spot.Range, 10000.0f);
    }
}

TEST(SceneConstants, WorldMatricesAndStartingCameras)
{
    // Text 2: doubled, upside down, moved to (44, -20, -35).
    EXPECT_TRUE(Near3(TransformPoint({1, 1, 0}, Text2World()), {46, -22, -35}, 1e-5f));
    // Text 3: stood up and turned to face -z, at (6, 2, 13).
    EXPECT_TRUE(Near3(TransformPoint({1, 1, 0}, Text3World()), {5, 2, 14}, 1e-5f));
    EXPECT_EQ(PodWorld(), Identity());
    EXPECT_EQ(RoomWorld(), Identity());

    Camera camera;
    Camera secondCamera;
    camera.Position = {1, 2, 3};
    PlaceInitialCameras(camera, secondCamera);
    EXPECT_EQ(camera.Position, (Float3{45, 21, 0}));
    const float yaw = -2.058285f;
    const float pitch = 0.3926991f;
    EXPECT_TRUE(Near3(camera.Look, {std::sin(yaw) * std::cos(pitch), -std::sin(pitch), std::cos(yaw) * std::cos(pitch)},
                      1e-6f));
    EXPECT_EQ(secondCamera.Position, (Float3{10, 0, -5}));
    EXPECT_EQ(secondCamera.Look, (Float3{0, 0, 1}));
}

Float3 TranslationRow(const InstanceRecord& record)
{
    return {record.World.m[3][0], record.World.m[3][1], record.World.m[3][2]};
}

TEST(SphereInstances, SameCloudOnEveryBuild)
{
    const std::vector<InstanceRecord> a = BuildSphereInstances();
    // Other users of the generator in between do not change the cloud.
    for (int i = 0; i < 5; ++i) {
        (void)std::rand();
    }
    const std::vector<InstanceRecord> b = BuildSphereInstances();
    ASSERT_EQ(a.size(), 8000u);
    ASSERT_EQ(b.size(), 8000u);
    EXPECT_EQ(std::memcmp(a.data(), b.data(), a.size() * sizeof(InstanceRecord)), 0);
}

TEST(SphereInstances, RecordsLieOnTheirGridPoints)
{
    const std::vector<InstanceRecord> records = BuildSphereInstances();

    // (k, i, j) -> record 400k + 20i + j, grid point (j, i, k) scaled to -10..10, -1.875..1.875, -10..10.
    struct Corner {
        size_t index;
        Float3 grid;
    };
    const Corner corners[] = {
        {0, {-10, -1.875f, -10}},
        {19, {10, -1.875f, -10}},
        {380, {-10, 1.875f, -10}},
        {7999, {10, 1.875f, 10}},
    };
    for (const Corner& c : corners) {
        const InstanceRecord& record = records[c.index];
        // World = Scaling(s) x Translation(T) x RotationY(angle): the upper block is s times a turn
        // about y, and the translation row is T turned by the same angle.
        const float s = record.World.m[1][1];
        EXPECT_GE(s, 0.025f) << c.index;
        EXPECT_LE(s, 0.15f) << c.index;
        const float cosA = record.World.m[0][0] / s;
        const float sinA = -record.World.m[0][2] / s;
        const Float3 turned = TranslationRow(record);
        const Float3 t{turned.x * cosA - turned.z * sinA, turned.y, turned.x * sinA + turned.z * cosA};

        // Pushed out by 0.95..1 times the squared distance over 10: about 1.93 to 2.04 at the corners.
        const float ratio = t.y / c.grid.y;
        EXPECT_GE(ratio, 1.93f) << c.index;
        EXPECT_LE(ratio, 2.04f) << c.index;
        EXPECT_TRUE(Near3(t, c.grid * ratio, 1e-4f)) << c.index << ": " << ToString(t);

        // Turned by 0.765..0.965 times 20 degrees per unit of distance.
        float angle = std::atan2(sinA, cosA);
        if (angle < 0) {
            angle += 2 * kPi;
        }
        const float length = Length3(c.grid);
        EXPECT_GE(angle, 0.765f * length * 20 * 0.017453293f - 1e-4f) << c.index;
        EXPECT_LE(angle, 0.965f * length * 20 * 0.017453293f + 1e-4f) << c.index;
    }

    for (const InstanceRecord& record : records) {
        const float s = record.World.m[1][1];
        ASSERT_TRUE(s >= 0.025f && s <= 0.15f) << s;
        ASSERT_TRUE(record.Color.x >= 0.865f && record.Color.x <= 0.985f + 1e-6f) << record.Color.x;
        ASSERT_TRUE(record.Color.y >= 0.865f && record.Color.y <= 0.985f + 1e-6f) << record.Color.y;
        ASSERT_TRUE(std::isfinite(record.Color.z));
        ASSERT_EQ(record.Color.w, 1.0f);
    }
}

TEST(SphereInstances, BigSphereAndInstanceBuffers)
{
    const std::vector<InstanceRecord> big = BuildBigSphereInstances();
    ASSERT_EQ(big.size(), 1u);
    EXPECT_EQ(big[0].World, Identity());
    EXPECT_EQ(big[0].Color, (Float4{0.1f, 0.1f, 0.1f, 1}));

    RecordingDevice device;
    const std::vector<InstanceRecord> cloud = BuildSphereInstances();
    ID3D11Buffer* buffer = nullptr;
    ASSERT_EQ(CreateInstanceBuffer(&device, cloud, &buffer), S_OK);
    const RecordingBuffer* recorded = RecordingDevice::Recorded(buffer);
    EXPECT_EQ(recorded->desc.ByteWidth, 640000u);
    EXPECT_EQ(recorded->desc.Usage, D3D11_USAGE_IMMUTABLE);
    EXPECT_EQ(recorded->desc.BindFlags, static_cast<UINT>(D3D11_BIND_VERTEX_BUFFER));
    EXPECT_EQ(recorded->desc.CPUAccessFlags | recorded->desc.MiscFlags | recorded->desc.StructureByteStride, 0u);
    EXPECT_EQ(std::memcmp(recorded->bytes.data(), cloud.data(), 640000), 0);

    ASSERT_EQ(CreateInstanceBuffer(&device, big, &buffer), S_OK);
    EXPECT_EQ(RecordingDevice::Recorded(buffer)->desc.ByteWidth, 80u);
    EXPECT_EQ(CreateInstanceBuffer(&device, {}, &buffer), E_INVALIDARG);
    EXPECT_EQ(buffer, nullptr);
}

TEST(ScreenQuad, CornersIndicesAndBuffers)
{
    const ScreenQuadData quad = BuildScreenQuad();
    const PosTexVertex expected[4] = {
        {{-1, -1, 0}, {0, 1}}, {{-1, 1, 0}, {0, 0}}, {{1, 1, 0}, {1, 0}}, {{1, -1, 0}, {1, 1}}};
    for (size_t v = 0; v < 4; ++v) {
        EXPECT_EQ(quad.vertices[v].Position, expected[v].Position) << v;
        EXPECT_EQ(quad.vertices[v].TexCoord, expected[v].TexCoord) << v;
    }
    EXPECT_EQ(quad.indices, (std::array<uint32_t, 6>{0, 1, 2, 0, 2, 3}));

    RecordingDevice device;
    ID3D11Buffer* vertexBuffer = nullptr;
    ID3D11Buffer* indexBuffer = nullptr;
    ASSERT_EQ(CreateScreenQuadBuffers(&device, quad, &vertexBuffer, &indexBuffer), S_OK);
    EXPECT_EQ(RecordingDevice::Recorded(vertexBuffer)->desc.ByteWidth, 80u);
    EXPECT_EQ(RecordingDevice::Recorded(vertexBuffer)->desc.BindFlags, static_cast<UINT>(D3D11_BIND_VERTEX_BUFFER));
    EXPECT_EQ(RecordingDevice::Recorded(indexBuffer)->desc.ByteWidth, 24u);
    EXPECT_EQ(RecordingDevice::Recorded(indexBuffer)->desc.BindFlags, static_cast<UINT>(D3D11_BIND_INDEX_BUFFER));
    EXPECT_EQ(RecordingDevice::Recorded(indexBuffer)->desc.Usage, D3D11_USAGE_IMMUTABLE);
}

}  // namespace
