#pragma once
// Vectors and matrices shared by the whole show.
//
// Conventions: 32-bit floats; 4x4 matrices stored row by row and applied to row vectors
// (p x M, translation in row 3); products compose left to right (world x view x projection);
// left-handed coordinates; angles in radians; projection depth 0 at the near plane, 1 at the far.
// The types are plain records with no hidden members so they can be sent to the effects byte for byte.

#include <cstddef>
#include <type_traits>

// The float nearest pi; every angle constant of the show is derived from it.
inline constexpr float kPi = 3.1415927f;

struct Float2 {
    float x = 0.0f;
    float y = 0.0f;
};

struct Float3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

struct Float4 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 0.0f;
};

// Row-major 4x4 matrix: m[row][column]. A default-constructed matrix is all zeros.
struct Float4x4 {
    float m[4][4] = {};

    float* operator[](int row) { return m[row]; }
    const float* operator[](int row) const { return m[row]; }
    // The 16 floats in memory order, as the effects receive them.
    const float* Data() const { return &m[0][0]; }
    float* Data() { return &m[0][0]; }
};

static_assert(sizeof(Float2) == 8 && sizeof(Float3) == 12 && sizeof(Float4) == 16);
static_assert(sizeof(Float4x4) == 64);
static_assert(std::is_standard_layout_v<Float3> && std::is_trivially_copyable_v<Float3>);
static_assert(std::is_standard_layout_v<Float4x4> && std::is_trivially_copyable_v<Float4x4>);

bool operator==(const Float2& a, const Float2& b);
bool operator==(const Float3& a, const Float3& b);
bool operator==(const Float4& a, const Float4& b);
bool operator==(const Float4x4& a, const Float4x4& b);

Float2 operator+(const Float2& a, const Float2& b);
Float2 operator-(const Float2& a, const Float2& b);

Float3 operator+(const Float3& a, const Float3& b);
Float3 operator-(const Float3& a, const Float3& b);
Float3 operator-(const Float3& v);
Float3 operator*(const Float3& v, float s);
Float3 operator*(float s, const Float3& v);
Float3& operator+=(Float3& a, const Float3& b);
Float3& operator-=(Float3& a, const Float3& b);
Float3& operator*=(Float3& v, float s);

float Dot3(const Float3& a, const Float3& b);
// Left-handed use, right-handed formula: a x b = (ay bz - az by, az bx - ax bz, ax by - ay bx).
Float3 Cross3(const Float3& a, const Float3& b);
float Length3(const Float3& v);

// Unit vector in the direction of v. A zero vector stays zero (never NaN); a vector whose
// squared length overflows to infinity gives quiet NaNs in every component.
Float3 Normalize3(const Float3& v);

// Matrix product a x b: transforms by a first, then by b.
Float4x4 operator*(const Float4x4& a, const Float4x4& b);

Float4x4 Identity();
Float4x4 Transpose(const Float4x4& m);

// General 4x4 inverse by cofactors. A singular matrix gives non-finite elements; the
// determinant (0 in that case) goes to *determinant when it is not null.
Float4x4 MatrixInverse(const Float4x4& m, float* determinant = nullptr);

// The matrix that carries normals for world matrix m: m without its translation, inverted, transposed.
Float4x4 InverseTranspose(const Float4x4& m);

// Rotation by angle about axis (normalised here); clockwise when looking along the axis from
// its positive end towards the origin, as rotations go in a left-handed frame.
Float4x4 RotationAboutAxis(const Float3& axis, float angle);
// Positive angles turn +y towards +z.
Float4x4 RotationX(float angle);
// Positive angles turn +z towards +x.
Float4x4 RotationY(float angle);
Float4x4 Scaling(float sx, float sy, float sz);
Float4x4 Translation(float x, float y, float z);

// Left-handed perspective projection; depth maps near..far onto 0..1.
Float4x4 PerspectiveFov(float fovY, float aspect, float nearZ, float farZ);

// (x, y, z) x upper 3x3 of m: a direction, unaffected by translation.
Float3 TransformNormal(const Float3& v, const Float4x4& m);
// (x, y, z, 1) x m without the division by w: a point under an affine matrix.
Float3 TransformPoint(const Float3& p, const Float4x4& m);
// (x, y, z, w) x m.
Float4 Transform(const Float4& v, const Float4x4& m);
