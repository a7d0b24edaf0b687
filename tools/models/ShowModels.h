#pragma once
// The drive's models: the car ("hqpoly.vbo") and the scenery ("Sprites.vbo").

#include "tools/objectfile/ObjectFileWriter.h"

#include <string>
#include <vector>

namespace showmodels {

// The car, nose towards -x, up +y, its left side towards +z, in the units the
// drive scales by 0.06. The wheels touch y = kCarGround: the drive moves the
// model by -6.5 before scaling, so that lands one unit below the car frame,
// on the road top. Texture coordinates address the regions of "Cartexture.png".
constexpr float kCarGround = -10.17f;
ObjectFileWriter carFile();

// The scenery objects by name, z up, base at z = 0, one unit = one terrain cell
// at scale 1; boards face -y (towards the approaching drive once stood up).
struct Scenery {
    std::string name;
    ObjectFileWriter::Mesh mesh;
};
std::vector<Scenery> sceneryMeshes();
ObjectFileWriter spritesFile();

}
