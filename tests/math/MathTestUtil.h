#pragma once
// Near-equality checks for vectors and matrices, with messages that show both values.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "math/MathHelper.h"

inline std::string ToString(const Float3& v)
{
    std::ostringstream s;
    s << "(" << v.x << ", " << v.y << ", " << v.z << ")";
    return s.str();
}

inline std::string ToString(const Float4x4& m)
{
    std::ostringstream s;
    for (int r = 0; r < 4; ++r)
        s << "[" << m.m[r][0] << ", " << m.m[r][1] << ", " << m.m[r][2] << ", " << m.m[r][3] << "]";
    return s.str();
}

inline ::testing::AssertionResult Near3(const Float3& actual, const Float3& expected, float tolerance)
{
    if (std::fabs(actual.x - expected.x) <= tolerance && std::fabs(actual.y - expected.y) <= tolerance &&
        std::fabs(actual.z - expected.z) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << ToString(actual) << " is not within " << tolerance << " of "
                                         << ToString(expected);
}

inline ::testing::AssertionResult NearMatrix(const Float4x4& actual, const Float4x4& expected, float tolerance)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (!(std::fabs(actual.m[r][c] - expected.m[r][c]) <= tolerance))
                return ::testing::AssertionFailure() << "element [" << r << "][" << c << "]: " << ToString(actual)
                                                     << " is not within " << tolerance << " of " << ToString(expected);
    return ::testing::AssertionSuccess();
}

inline Float4x4 MatrixFromRows(const float (&rows)[4][4])
{
    Float4x4 m;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            m.m[r][c] = rows[r][c];
    return m;
}
