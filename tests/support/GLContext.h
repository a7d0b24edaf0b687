#pragma once
// The GL test binaries run with one hidden window and an OpenGL 3.2 core
// context, opened by their main() before any test.

#include <GL/glew.h>

#include <gtest/gtest.h>

#include <vector>

namespace testsupport {

// Opens one hidden window of the given size with a 3.2 core context and
// initialises GLEW; false when that is not possible (no display).
bool openHiddenContext(int width, int height);

// True when the context was opened (tests skip otherwise).
bool glAvailable();

// Reads an RGBA8 rectangle of the current read framebuffer.
std::vector<unsigned char> readPixels(int x, int y, int width, int height);

// Drains pending GL errors; returns the first one (GL_NO_ERROR when none).
GLenum drainGLErrors();

}

#define REQUIRE_GL()                                   \
    do {                                               \
        if (!::testsupport::glAvailable())             \
            GTEST_SKIP() << "no OpenGL 3.2 context";   \
    } while (0)
