#include "support/GLDrivers.h"

#include "support/GLContext.h"

#include "platform/Glfw27.h"

#include <GL/glew.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace testsupport {

void pinGLDrivers()
{
    glfw27::pinGLDrivers();
}

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
    drainGLErrors();
}

}
