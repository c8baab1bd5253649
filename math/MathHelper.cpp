#include "math/MathHelper.h"

#include <cmath>
#include <limits>

bool operator==(const Float2& a, const Float2& b)
{
    return a.x == b.x && a.y == b.y;
}
bool operator==(const Float3& a, const Float3& b)
{
    return a.x == b.x && a.y == b.y && a.z == b.z;
}
bool operator==(const Float4& a, const Float4& b)
{
    return a.x == b.x && a.y == b.y && a.z == b.z && a.w == b.w;
}
bool operator==(const Float4x4& a, const Float4x4& b)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (a.m[r][c] != b.m[r][c])
                return false;
    return true;
}

Float2 operator+(const Float2& a, const Float2& b)
{
    return {a.x + b.x, a.y + b.y};
}
Float2 operator-(const Float2& a, const Float2& b)
{
    return {a.x - b.x, a.y - b.y};
}

Float3 operator+(const Float3& a, const Float3& b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Float3 operator-(const Float3& a, const Float3& b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Float3 operator-(const Float3& v)
{
    return {-v.x, -v.y, -v.z};
}
Float3 operator*(const Float3& v, float s)
{
    return {v.x * s, v.y * s, v.z * s};
}
Float3 operator*(float s, const Float3& v)
{
    return v * s;
}
Float3& operator+=(Float3& a, const Float3& b)
{
    return a = a + b;
}
Float3& operator-=(Float3& a, const Float3& b)
{
    return a = a - b;
}
Float3& operator*=(Float3& v, float s)
{
    return v = v * s;
}

float Dot3(const Float3& a, const Float3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Float3 Cross3(const Float3& a, const Float3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

float Length3(const Float3& v)
{
    return std::sqrt(Dot3(v, v));
}

Float3 Normalize3(const Float3& v)
{
    const float lengthSq = Dot3(v, v);
    if (lengthSq == std::numeric_limits<float>::infinity()) {
        const float nan = std::numeric_limits<float>::quiet_NaN();
        return {nan, nan, nan};
    }
    const float length = std::sqrt(lengthSq);
    // A zero vector has no direction; zero is safer downstream than NaN.
    if (length == 0.0f)
        return {0.0f, 0.0f, 0.0f};
    return {v.x / length, v.y / length, v.z / length};
}

Float4x4 operator*(const Float4x4& a, const Float4x4& b)
{
    Float4x4 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
    return r;
}

Float4x4 Identity()
{
    Float4x4 r;
    r.m[0][0] = r.m[1][1] = r.m[2][2] = r.m[3][3] = 1.0f;
    return r;
}

Float4x4 Transpose(const Float4x4& m)
{
    Float4x4 r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = m.m[j][i];
    return r;
}

Float4x4 MatrixInverse(const Float4x4& m, float* determinant)
{
    const auto& a = m.m;
    // 2x2 minors of the top two rows (s) and of the bottom two rows (c); every 3x3 cofactor
    // is a combination of them, which keeps the expansion short.
    const float s0 = a[0][0] * a[1][1] - a[0][1] * a[1][0];
    const float s1 = a[0][0] * a[1][2] - a[0][2] * a[1][0];
    const float s2 = a[0][0] * a[1][3] - a[0][3] * a[1][0];
    const float s3 = a[0][1] * a[1][2] - a[0][2] * a[1][1];
    const float s4 = a[0][1] * a[1][3] - a[0][3] * a[1][1];
    const float s5 = a[0][2] * a[1][3] - a[0][3] * a[1][2];

    const float c5 = a[2][2] * a[3][3] - a[2][3] * a[3][2];
    const float c4 = a[2][1] * a[3][3] - a[2][3] * a[3][1];
    const float c3 = a[2][1] * a[3][2] - a[2][2] * a[3][1];
    const float c2 = a[2][0] * a[3][3] - a[2][3] * a[3][0];
    const float c1 = a[2][0] * a[3][2] - a[2][2] * a[3][0];
    const float c0 = a[2][0] * a[3][1] - a[2][1] * a[3][0];

    const float det = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
    if (determinant)
        *determinant = det;
    // No guard for det == 0: callers pass invertible matrices, and the determinant tells them.
    const float inv = 1.0f / det;

    Float4x4 r;
    r.m[0][0] = (a[1][1] * c5 - a[1][2] * c4 + a[1][3] * c3) * inv;
    r.m[0][1] = (-a[0][1] * c5 + a[0][2] * c4 - a[0][3] * c3) * inv;
    r.m[0][2] = (a[3][1] * s5 - a[3][2] * s4 + a[3][3] * s3) * inv;
    r.m[0][3] = (-a[2][1] * s5 + a[2][2] * s4 - a[2][3] * s3) * inv;

    r.m[1][0] = (-a[1][0] * c5 + a[1][2] * c2 - a[1][3] * c1) * inv;
    r.m[1][1] = (a[0][0] * c5 - a[0][2] * c2 + a[0][3] * c1) * inv;
    r.m[1][2] = (-a[3][0] * s5 + a[3][2] * s2 - a[3][3] * s1) * inv;
    r.m[1][3] = (a[2][0] * s5 - a[2][2] * s2 + a[2][3] * s1) * inv;

    r.m[2][0] = (a[1][0] * c4 - a[1][1] * c2 + a[1][3] * c0) * inv;
    r.m[2][1] = (-a[0][0] * c4 + a[0][1] * c2 - a[0][3] * c0) * inv;
    r.m[2][2] = (a[3][0] * s4 - a[3][1] * s2 + a[3][3] * s0) * inv;
    r.m[2][3] = (-a[2][0] * s4 + a[2][1] * s2 - a[2][3] * s0) * inv;

    r.m[3][0] = (-a[1][0] * c3 + a[1][1] * c1 - a[1][2] * c0) * inv;
    r.m[3][1] = (a[0][0] * c3 - a[0][1] * c1 + a[0][2] * c0) * inv;
    r.m[3][2] = (-a[3][0] * s3 + a[3][1] * s1 - a[3][2] * s0) * inv;
    r.m[3][3] = (a[2][0] * s3 - a[2][1] * s1 + a[2][2] * s0) * inv;
    return r;
}

Float4x4 InverseTranspose(const Float4x4& m)
{
    // Normals are directions: the translation must not reach them.
    Float4x4 linear = m;
    linear.m[3][0] = 0.0f;
    linear.m[3][1] = 0.0f;
    linear.m[3][2] = 0.0f;
    linear.m[3][3] = 1.0f;
    return Transpose(MatrixInverse(linear));
}

Float4x4 RotationAboutAxis(const Float3& axis, float angle)
{
    const Float3 n = Normalize3(axis);
    const float s = std::sin(angle);
    const float c = std::cos(angle);
    const float t = 1.0f - c;
    const float x = n.x, y = n.y, z = n.z;

    Float4x4 r;
    r.m[0][0] = c + t * x * x;
    r.m[0][1] = t * x * y + s * z;
    r.m[0][2] = t * x * z - s * y;
    r.m[1][0] = t * x * y - s * z;
    r.m[1][1] = c + t * y * y;
    r.m[1][2] = t * y * z + s * x;
    r.m[2][0] = t * x * z + s * y;
    r.m[2][1] = t * y * z - s * x;
    r.m[2][2] = c + t * z * z;
    r.m[3][3] = 1.0f;
    return r;
}

Float4x4 RotationX(float angle)
{
    const float s = std::sin(angle);
    const float c = std::cos(angle);
    Float4x4 r = Identity();
    r.m[1][1] = c;
    r.m[1][2] = s;
    r.m[2][1] = -s;
    r.m[2][2] = c;
    return r;
}

Float4x4 RotationY(float angle)
{
    const float s = std::sin(angle);
    const float c = std::cos(angle);
    Float4x4 r = Identity();
    r.m[0][0] = c;
    r.m[0][2] = -s;
    r.m[2][0] = s;
    r.m[2][2] = c;
    return r;
}

Float4x4 Scaling(float sx, float sy, float sz)
{
    Float4x4 r;
    r.m[0][0] = sx;
    r.m[1][1] = sy;
    r.m[2][2] = sz;
    r.m[3][3] = 1.0f;
    return r;
}

Float4x4 Translation(float x, float y, float z)
{
    Float4x4 r = Identity();
    r.m[3][0] = x;
    r.m[3][1] = y;
    r.m[3][2] = z;
    return r;
}

Float4x4 PerspectiveFov(float fovY, float aspect, float nearZ, float farZ)
{
    const float halfFov = 0.5f * fovY;
    const float h = std::cos(halfFov) / std::sin(halfFov);
    const float w = h / aspect;
    const float range = farZ / (farZ - nearZ);

    Float4x4 r;
    r.m[0][0] = w;
    r.m[1][1] = h;
    r.m[2][2] = range;
    r.m[2][3] = 1.0f;
    r.m[3][2] = -range * nearZ;
    return r;
}

Float3 TransformNormal(const Float3& v, const Float4x4& m)
{
    const auto& a = m.m;
    return {v.x * a[0][0] + v.y * a[1][0] + v.z * a[2][0], v.x * a[0][1] + v.y * a[1][1] + v.z * a[2][1],
            v.x * a[0][2] + v.y * a[1][2] + v.z * a[2][2]};
}

Float3 TransformPoint(const Float3& p, const Float4x4& m)
{
    const auto& a = m.m;
    return {p.x * a[0][0] + p.y * a[1][0] + p.z * a[2][0] + a[3][0],
            p.x * a[0][1] + p.y * a[1][1] + p.z * a[2][1] + a[3][1],
            p.x * a[0][2] + p.y * a[1][2] + p.z * a[2][2] + a[3][2]};
}

Float4 Transform(const Float4& v, const Float4x4& m)
{
    const auto& a = m.m;
    return {v.x * a[0][0] + v.y * a[1][0] + v.z * a[2][0] + v.w * a[3][0],
            v.x * a[0][1] + v.y * a[1][1] + v.z * a[2][1] + v.w * a[3][1],
            v.x * a[0][2] + v.y * a[1][2] + v.z * a[2][2] + v.w * a[3][2],
            v.x * a[0][3] + v.y * a[1][3] + v.z * a[2][3] + v.w * a[3][3]};
}
