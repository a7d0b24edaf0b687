#include "support/GLDrivers.h"

#include "support/GLContext.h"

#include <GL/glew.h>

#include <dlfcn.h>
#include <link.h>

#include <cstring>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace testsupport {

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
