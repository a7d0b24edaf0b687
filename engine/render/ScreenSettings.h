#pragma once

#include "engine/render/Projection.h"

// Window size, full-screen choice and the letterboxed 16:9 viewport.
class ScreenSettings {
public:
    ScreenSettings();

    void setResolution(int width, int height);
    void setSize(int width, int height);
    int getWidth() const { return width; }
    int getHeight() const { return height; }

    void setFullscreen(bool f) { fullscreen = f; }
    bool isFullscreen() const { return fullscreen; }
    void setFlag2(bool f) { flag2 = f; }
    bool getFlag2() const { return flag2; }
    void setOption(int o) { option = o; }
    int getOption() const { return option; }
    void setFlag3(bool f) { flag3 = f; }
    bool getFlag3() const { return flag3; }
    void setFlag4(bool f) { flag4 = f; }
    bool getFlag4() const { return flag4; }

    // Always 16:9 and as wide as the window; very wide windows get a negative y.
    void updateViewport();
    void applyViewport() const;

    int getViewportX() const { return viewportX; }
    int getViewportY() const { return viewportY; }
    int getViewportWidth() const { return viewportWidth; }
    int getViewportHeight() const { return viewportHeight; }

    Projection* getProjection() { return &projection; }

private:
    Projection projection;
    int height;
    int width;
    int viewportX;
    int viewportY;
    int viewportHeight;
    int viewportWidth;
    bool fullscreen;
    bool flag2;
    int option;
    bool flag3;
    bool flag4;
};
