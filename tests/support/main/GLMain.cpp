// main() of the GL test binaries: one hidden 3.2 core window for all tests.

#include "platform/Glfw27.h"
#include "support/GLContext.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <dlfcn.h>
#include <link.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace testsupport::detail {
extern bool contextOpen;
}

namespace {

// Keeps the loaded GL drivers mapped until exit: the driver's own leftovers are
// then reported under its name (and suppressed) instead of as unknown frames.
void pinGLDrivers()
{
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            if (info->dlpi_name && std::strstr(info->dlpi_name, "_dri.so"))
                dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}

bool openContext()
{
    if (!glfw27::init())
        return false;
    glfw27::openWindowHint(glfw27::OPENGL_VERSION_MAJOR, 3);
    glfw27::openWindowHint(glfw27::OPENGL_VERSION_MINOR, 2);
    glfw27::openWindowHint(glfw27::OPENGL_PROFILE, glfw27::OPENGL_CORE_PROFILE);
    glfw27::openWindowHint(glfw27::WINDOW_HIDDEN, 1);
    if (!glfw27::openWindow(320, 180, 8, 8, 8, 8, 24, 8, glfw27::WINDOW))
        return false;
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK)
        return false;
    testsupport::drainGLErrors();
    pinGLDrivers();
    return GLEW_VERSION_3_2;
}

}

// Mesa's software rasteriser keeps an allocation made on its first mipmap
// generation, reached only through generated code that leak reports cannot
// name: make it once while leak tracking is off.
void warmUpMipmaps()
{
#if defined(__SANITIZE_ADDRESS__)
    __lsan::ScopedDisabler untracked;
#endif
    GLuint id = 0;
    unsigned char texels[4 * 4 * 4] = {};
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glGenerateMipmap(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteTextures(1, &id);
    testsupport::drainGLErrors();
}

int main(int argc, char** argv)
{
    bool listing = false;
    for (int i = 1; i < argc; ++i)
        listing = listing || std::strcmp(argv[i], "--gtest_list_tests") == 0;
    testing::InitGoogleTest(&argc, argv);
    if (!listing) {
        testsupport::detail::contextOpen = openContext();
        if (!testsupport::detail::contextOpen) {
            std::fprintf(stderr, "GL tests: no OpenGL 3.2 core context (is DISPLAY set?)\n");
            // CI must not pass by skipping every GL test.
            if (std::getenv("PULSVEK_REQUIRE_GL"))
                return 1;
        }
        if (testsupport::detail::contextOpen)
            warmUpMipmaps();
    }
    int result = RUN_ALL_TESTS();
    glfw27::terminate();
    return result;
}
