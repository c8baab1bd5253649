#pragma once
// The check of the GL debug output that every gpu test program runs (GlDebugCheck.cpp).

// For a test that hands the driver what it must refuse (GLSL that does not compile): the errors the
// driver reports for the rest of the test do not fail it.
void AllowGlDebugErrorsInThisTest();
