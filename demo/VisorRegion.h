#pragma once
// The part of the scene that the helmet view reads. The helmet pass samples
// the scene through the visor's curve and multiplies it by the visor mask's
// red and alpha: where both filtered values are zero the scene is not used,
// so the scene's draws may leave those pixels out.

#include <cstdint>

namespace visor {

// Where the helmet pass samples the scene for the screen position uv (0..1).
void curve(float u, float v, float& x, float& y);

// A rectangle of pixels: x, y (from the bottom left), width and height.
struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The scene pixels (sceneWidth x sceneHeight) that a screenWidth x
// screenHeight helmet pass reads through the maskWidth x maskHeight RGBA
// mask (rows from the bottom), with room for the filtering of both pictures
// and the mask's smaller levels. Empty when the mask is zero everywhere.
Rect sceneRegion(const uint8_t* mask, int maskWidth, int maskHeight, int screenWidth, int screenHeight,
                 int sceneWidth, int sceneHeight);

// Cuts draws to a rectangle of the bound framebuffer (none: no cut) until
// end() or the end of the scope.
class ScissorScope {
public:
    explicit ScissorScope(const Rect* rect);
    ~ScissorScope() { end(); }
    ScissorScope(const ScissorScope&) = delete;
    ScissorScope& operator=(const ScissorScope&) = delete;
    void end();

private:
    bool on = false;
};

}
