#include "show/SphereInstances.h"

#include <climits>
#include <cstdlib>

#include "platform/d3dx11/ImmutableBuffer.h"

namespace {

// A uniform number in 0..1 from the top 15 bits of rand(). The cloud was designed for a generator of
// 0..32767; a C library whose rand() reaches further (glibc's goes to 2^31 - 1) would otherwise give
// numbers far above 1 and spheres thousands of times too large. Where RAND_MAX is 32767 this is
// rand() / 32767.0 exactly.
float NextUnit()
{
    constexpr unsigned long kSteps = 32768;
    constexpr unsigned long kDivisor = (static_cast<unsigned long>(RAND_MAX) + 1) / kSteps;
    static_assert(kDivisor >= 1, "rand() must give at least 15 bits");
    const unsigned long value = static_cast<unsigned long>(std::rand()) / kDivisor;
    return static_cast<float>(static_cast<double>(value) / 32767.0);
}

}  // namespace

std::vector<InstanceRecord> BuildSphereInstances()
{
    // The sequence the program sees when nothing has seeded the generator.
    std::srand(1);

    std::vector<InstanceRecord> records(kSphereInstanceCount);
    for (size_t k = 0; k < kSphereGridSize; ++k) {
        for (size_t i = 0; i < kSphereGridSize; ++i) {
            for (size_t j = 0; j < kSphereGridSize; ++j) {
                // x and z run from -10 to 10, y from -1.875 to 1.875 (20/19 and 3.75/19 as floats).
                const float z = static_cast<float>(k) * 1.0526316f - 10.0f;
                const float y = static_cast<float>(i) * 0.19736843f - 1.875f;
                const float x = static_cast<float>(j) * 1.0526316f - 10.0f;

                const float u1 = NextUnit();
                const float scale = 0.025f + u1 * (0.15f - 0.025f);

                const float length = Length3({x, y, z});
                const float d = length / 10.0f;

                // Pushed out by the square of the distance: the cloud thins towards its rim.
                const float u2 = NextUnit();
                const float spread = 0.95f + u2 * (1.0f - 0.95f);
                const float m = spread * d * d;
                const Float3 position{m * x, m * y, m * z};

                // Farther spheres are turned further about the vertical axis: a spiral.
                const float u3 = NextUnit();
                const float g = 0.765f + u3 * (0.965f - 0.765f);
                const float angle = g * length * 20.0f * 0.017453293f;

                InstanceRecord& record = records[400 * k + 20 * i + j];
                record.World = Scaling(scale, scale, scale) * Translation(position.x, position.y, position.z) *
                               RotationY(angle);

                const float u4 = NextUnit();
                const float red = 0.865f + u4 * 0.12f;
                const float u5 = NextUnit();
                const float green = 0.865f + u5 * 0.12f;
                const float base = m + 0.898f;
                const float u6 = NextUnit();
                const float blue = base + u6 * (0.996f - base);
                record.Color = {red, green, blue, 1.0f};
            }
        }
    }
    return records;
}

std::vector<InstanceRecord> BuildBigSphereInstances()
{
    InstanceRecord record;
    record.World = Identity();
    record.Color = {0.1f, 0.1f, 0.1f, 1.0f};
    return {record};
}

HRESULT CreateInstanceBuffer(ID3D11Device* device, const std::vector<InstanceRecord>& records, ID3D11Buffer** buffer)
{
    return CreateImmutableBuffer(device, D3D11_BIND_VERTEX_BUFFER, records.data(),
                                 records.size() * sizeof(InstanceRecord), buffer);
}
