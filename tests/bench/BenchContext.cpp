#include "BenchContext.h"

#include "engine/render/Geometry.h"
#include "support/GLContext.h"

bool benchGLReady()
{
    static const bool ready = [] {
        if (!testsupport::openHiddenContext(64, 36))
            return false;
        Geometry::init();
        return true;
    }();
    return ready;
}
