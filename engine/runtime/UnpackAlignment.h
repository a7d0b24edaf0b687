#pragma once
// Uploads of packed pixel rows: sets GL's unpack alignment to 1 for the scope
// and restores the previous value afterwards (rows of 3-byte texels are not
// padded to 4 bytes).

#include <GL/glew.h>

class UnpackAlignment {
public:
    UnpackAlignment()
    {
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &previous);
        if (previous != 1)
            glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    }
    ~UnpackAlignment()
    {
        if (previous != 1)
            glPixelStorei(GL_UNPACK_ALIGNMENT, previous);
    }
    UnpackAlignment(const UnpackAlignment&) = delete;
    UnpackAlignment& operator=(const UnpackAlignment&) = delete;

private:
    GLint previous = 4;
};
