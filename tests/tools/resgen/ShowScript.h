#pragma once
// The show's camera script for the corridor scene and the text placements, restated for tests.
#include <cmath>
#include <optional>

#include "tools/resgen/VecMath.h"

namespace resgen::test {

constexpr double kBeat = static_cast<double>(0.46153843f);
constexpr double kPi32 = 3.1415927;

struct Placement {
    Vec3 position;
    double yaw = 0, pitch = 0;
};

// The second camera from beat 48 to 112, the wrap of the corridor included.
inline std::optional<Placement> SecondCameraAt(double t)
{
    const double beat = t / kBeat;
    Placement p;
    if (beat >= 48 && beat < 64) {
        double a = (t - 22.153845) * 1.4;
        p = {{12.5, -2, 27.5 - a}, 1.3744469, -0.3926991};
    } else if (beat >= 64 && beat < 80) {
        double b = t - 29.53846;
        p = {{10, -1, b - 5}, -1.5707964, -0.19634955};
    } else if (beat >= 80 && beat < 96) {
        double b = t - 29.53846, c = t - 36.923073;
        p = {{10, -1, (b - 5) + 20 * c}, c * 0.125 * kPi32 - kPi32 / 2, -0.19634955};
    } else if (beat >= 96 && beat < 112) {
        double d = t - 44.30769;
        p = {{10, 0, d - 5}, 0, 0};
    } else {
        return std::nullopt;
    }
    if (p.position.z > 43)
        p.position.z -= 43;
    return p;
}

// Camera axes after ResetToInitial, RotateAboutWorldY(yaw), Pitch(pitch).
struct Axes {
    Vec3 right, up, look;
};
inline Axes CameraAxes(double yaw, double pitch)
{
    auto ry = [&](Vec3 v) {
        return Vec3{v.x * std::cos(yaw) + v.z * std::sin(yaw), v.y, -v.x * std::sin(yaw) + v.z * std::cos(yaw)};
    };
    Axes a{ry({1, 0, 0}), ry({0, 1, 0}), ry({0, 0, 1})};
    auto rot = [&](Vec3 v) {
        Vec3 k = a.right;
        return v * std::cos(pitch) + Cross(k, v) * std::sin(pitch) + k * (Dot(k, v) * (1 - std::cos(pitch)));
    };
    a.up = rot(a.up);
    a.look = rot(a.look);
    return a;
}

// Projects a world point to normalised screen coordinates (x right, y up; visible in -1..1) for a
// 45 degree vertical field of view at 16:9; nullopt behind the near plane.
inline std::optional<Vec2> Project(Vec3 p, Vec3 eye, const Axes& a)
{
    Vec3 d = p - eye;
    double z = Dot(d, a.look);
    if (z < 1.0)
        return std::nullopt;
    const double t = std::tan(kPi32 / 8);
    return Vec2{Dot(d, a.right) / (z * t * 16.0 / 9.0), Dot(d, a.up) / (z * t)};
}

// Row-vector transforms used by the show's world matrices.
inline Vec3 RotX(Vec3 v, double a)
{
    return {v.x, v.y * std::cos(a) - v.z * std::sin(a), v.y * std::sin(a) + v.z * std::cos(a)};
}
inline Vec3 RotY(Vec3 v, double a)
{
    return {v.x * std::cos(a) + v.z * std::sin(a), v.y, -v.x * std::sin(a) + v.z * std::cos(a)};
}

}  // namespace resgen::test
