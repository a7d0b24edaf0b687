#include "engine/render/Material.h"

Material defaultMaterial;

Material::Material(const std::string& name, int id, const glm::vec3& diffuse, const glm::vec3& specular,
                   float shininess)
    : name(name), id(id), diffuse(diffuse), specular(specular), shininess(shininess)
{
}

namespace {

// A 0..1 value x 255, truncated; clamped first, NaN gives 0.
unsigned char unitToByte(float value)
{
    if (!(value > 0.0f))
        return 0;
    if (value >= 1.0f)
        return 255;
    return static_cast<unsigned char>(value * 255.0f);
}

}

void Material::writeBufferEntry(unsigned char* slot) const
{
    slot[0] = unitToByte(bufferValue0);
    slot[1] = unitToByte(bufferValue1);
    slot[2] = 255;
    slot[3] = 255;
    slot[4] = unitToByte(specular.r);
    slot[5] = unitToByte(specular.g);
    slot[6] = unitToByte(specular.b);
    slot[7] = 255;
    unsigned char exponent = 1;
    if (shininess >= 255.0f)
        exponent = 255;
    else if (shininess > 1.0f)
        exponent = static_cast<unsigned char>(shininess);
    for (int i = 8; i < 12; ++i)
        slot[i] = exponent;
}
