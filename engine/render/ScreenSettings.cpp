#include "engine/render/ScreenSettings.h"

#include <GL/glew.h>

ScreenSettings::ScreenSettings()
    : height(0), width(0), viewportX(0), viewportY(0), viewportHeight(0), viewportWidth(0),
      fullscreen(true), flag2(false), option(0), flag3(true), flag4(false)
{
}

void ScreenSettings::setResolution(int w, int h)
{
    width = w;
    height = h;
}

void ScreenSettings::setSize(int w, int h)
{
    setResolution(w, h);
    updateViewport();
}

void ScreenSettings::updateViewport()
{
    viewportX = 0;
    viewportWidth = width;
    viewportHeight = static_cast<int>(width * 0.5625);
    viewportY = static_cast<int>((height - viewportHeight) * 0.5);
}

void ScreenSettings::applyViewport() const
{
    glViewport(viewportX, viewportY, viewportWidth, viewportHeight);
}
