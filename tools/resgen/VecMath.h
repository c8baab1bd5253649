#pragma once
// Small vector helpers for the generator; double precision keeps the written decimals stable.
#include <cmath>

namespace resgen {

struct Vec2 {
    double x = 0, y = 0;
};

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

inline Vec2 operator+(Vec2 a, Vec2 b)
{
    return {a.x + b.x, a.y + b.y};
}
inline Vec2 operator-(Vec2 a, Vec2 b)
{
    return {a.x - b.x, a.y - b.y};
}
inline Vec2 operator*(Vec2 a, double s)
{
    return {a.x * s, a.y * s};
}
inline double Dot(Vec2 a, Vec2 b)
{
    return a.x * b.x + a.y * b.y;
}
inline double Cross(Vec2 a, Vec2 b)
{
    return a.x * b.y - a.y * b.x;
}
inline double Length(Vec2 a)
{
    return std::sqrt(Dot(a, a));
}
inline Vec2 Normalize(Vec2 a)
{
    double l = Length(a);
    return l > 0 ? a * (1.0 / l) : Vec2{};
}

inline Vec3 operator+(Vec3 a, Vec3 b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(Vec3 a, Vec3 b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator-(Vec3 a)
{
    return {-a.x, -a.y, -a.z};
}
inline Vec3 operator*(Vec3 a, double s)
{
    return {a.x * s, a.y * s, a.z * s};
}
inline Vec3 operator*(double s, Vec3 a)
{
    return a * s;
}
inline Vec3& operator+=(Vec3& a, Vec3 b)
{
    return a = a + b;
}
inline double Dot(Vec3 a, Vec3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 Cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double Length(Vec3 a)
{
    return std::sqrt(Dot(a, a));
}
inline Vec3 Normalize(Vec3 a)
{
    double l = Length(a);
    return l > 0 ? a * (1.0 / l) : Vec3{};
}
inline Vec3 Lerp(Vec3 a, Vec3 b, double t)
{
    return a + (b - a) * t;
}

inline double Clamp(double v, double lo, double hi)
{
    return v < lo ? lo : (v > hi ? hi : v);
}
inline double Smoothstep(double e0, double e1, double x)
{
    double t = Clamp((x - e0) / (e1 - e0), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}
inline double Mix(double a, double b, double t)
{
    return a + (b - a) * t;
}

constexpr double kPi = 3.14159265358979323846;

// Any vector perpendicular to n (n need not be unit length).
inline Vec3 AnyPerpendicular(Vec3 n)
{
    Vec3 a = std::fabs(n.x) < 0.9 ? Vec3{1, 0, 0} : Vec3{0, 1, 0};
    return Normalize(Cross(n, a));
}

}  // namespace resgen
