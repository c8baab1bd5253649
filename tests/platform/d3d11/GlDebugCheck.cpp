// Linked into every test program of the gpu label, which runs with SHOW_GL_DEBUG=1: a test during
// which the GL debug output reported an error, undefined behaviour or a high-severity message fails,
// so a call that is wrong on some driver shows up here even where Mesa's result looks right. The
// messages themselves are on stderr, once each.
#include "tests/platform/d3d11/GlDebugCheck.h"

#include <gtest/gtest.h>

#include "platform/d3d11/Diagnostics.h"

namespace {

bool errorsAllowed = false;

class GlDebugCheck : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override
    {
        before = D3D11GLDebugProblemCount();
        errorsAllowed = false;
    }
    // Listeners hear the end of a test before the result printer does, and the test is still the
    // current one, so the failure is the test's own.
    void OnTestEnd(const ::testing::TestInfo&) override
    {
        if (errorsAllowed) {
            return;
        }
        const std::uint64_t problems = D3D11GLDebugProblemCount() - before;
        EXPECT_EQ(problems, 0u) << "the GL debug output reported " << problems
                                << " errors or high-severity messages during this test (\"GL debug\" on stderr)";
    }

    std::uint64_t before = 0;
};

}  // namespace

void AllowGlDebugErrorsInThisTest()
{
    errorsAllowed = true;
}

namespace {

[[maybe_unused]] const bool kRegistered = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new GlDebugCheck);
    return true;
}();

}  // namespace
