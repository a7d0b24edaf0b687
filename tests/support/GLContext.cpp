#include "support/GLContext.h"

namespace testsupport {

namespace detail {
bool contextOpen = false;
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
