#include "support/GLContext.h"

#include "platform/Glfw27.h"

namespace testsupport {

namespace detail {
bool contextOpen = false;
}

bool openHiddenContext(int width, int height)
{
    if (!glfw27::init())
        return false;
    glfw27::openWindowHint(glfw27::OPENGL_VERSION_MAJOR, 3);
    glfw27::openWindowHint(glfw27::OPENGL_VERSION_MINOR, 2);
    glfw27::openWindowHint(glfw27::OPENGL_PROFILE, glfw27::OPENGL_CORE_PROFILE);
    glfw27::openWindowHint(glfw27::WINDOW_HIDDEN, 1);
    if (!glfw27::openWindow(width, height, 8, 8, 8, 8, 24, 8, glfw27::WINDOW))
        return false;
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK)
        return false;
    drainGLErrors();  // glewInit leaves one in core profiles
    return GLEW_VERSION_3_2;
}

bool glAvailable()
{
    return detail::contextOpen;
}

std::vector<unsigned char> readPixels(int x, int y, int width, int height)
{
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

GLenum drainGLErrors()
{
    GLenum first = GL_NO_ERROR;
    for (GLenum e = glGetError(); e != GL_NO_ERROR; e = glGetError())
        if (first == GL_NO_ERROR)
            first = e;
    return first;
}

}
