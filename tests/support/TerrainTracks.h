#pragma once
// The 36 tracks a terrain generator reads, owned by the test and wired into
// it, and a sprite scene with the objects its scenery kinds are made from.

#include "demo/TerrainGenerator.h"
#include "engine/render/VLMScene.h"
#include "engine/runtime/Keyframe.h"
#include "engine/runtime/TrackInterpolate.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

class TerrainTracks {
public:
    TerrainTracks()
    {
        for (const std::string& name : names())
            tracks[name] = std::make_unique<TrackInterpolate>(name);
    }

    static std::vector<std::string> names()
    {
        std::vector<std::string> all = {"r_sprite", "r_frequency", "s_frequency", "s_sprite", "s_pos1", "s_pos2",
                                        "noise_type", "noise_freq", "noise_oct", "noise_pers", "noise_displ",
                                        "noise_mult", "noise_add", "water_height", "tunell_height"};
        for (int i = 1; i <= 5; ++i)
            all.push_back("spline_" + std::to_string(i));
        for (int i = 1; i <= 8; ++i)
            all.push_back("tile" + std::to_string(i));
        for (int i = 1; i <= 8; ++i)
            all.push_back("road" + std::to_string(i));
        return all;
    }

    TrackInterpolate& operator[](const std::string& name) { return *tracks.at(name); }

    // A step key: the value holds from row on, until the next key.
    void set(const std::string& name, float value, unsigned row = 0)
    {
        tracks.at(name)->addKeyframe(new Keyframe(row, 3, value));
    }

    void wire(TerrainGenerator& generator)
    {
        generator.setRSpriteTrack(&(*this)["r_sprite"]);
        generator.setRFrequencyTrack(&(*this)["r_frequency"]);
        generator.setSFrequencyTrack(&(*this)["s_frequency"]);
        generator.setSSpriteTrack(&(*this)["s_sprite"]);
        generator.setSPos1Track(&(*this)["s_pos1"]);
        generator.setSPos2Track(&(*this)["s_pos2"]);
        generator.setNoiseTypeTrack(&(*this)["noise_type"]);
        generator.setNoiseFreqTrack(&(*this)["noise_freq"]);
        generator.setNoiseOctTrack(&(*this)["noise_oct"]);
        generator.setNoisePersTrack(&(*this)["noise_pers"]);
        generator.setNoiseDisplTrack(&(*this)["noise_displ"]);
        generator.setNoiseMultTrack(&(*this)["noise_mult"]);
        generator.setNoiseAddTrack(&(*this)["noise_add"]);
        generator.setWaterHeightTrack(&(*this)["water_height"]);
        generator.setTunellHeightTrack(&(*this)["tunell_height"]);
        for (int i = 1; i <= 5; ++i)
            generator.setSplineTrack(i, &(*this)["spline_" + std::to_string(i)]);
        for (int i = 1; i <= 8; ++i) {
            generator.setTileTrack(i, &(*this)["tile" + std::to_string(i)]);
            generator.setRoadTrack(i, &(*this)["road" + std::to_string(i)]);
        }
    }

    // A flat landscape at the neutral level: no noise, a flat profile, no
    // water, no tunnel, tile band b (0 to 7) gets tile 10 + b, road column k
    // gets road tile 20 + k, no sprites.
    void setFlat()
    {
        set("noise_type", -1.0f);
        set("noise_mult", 0.0f);
        set("water_height", -1.0f);
        for (int i = 1; i <= 8; ++i) {
            set("tile" + std::to_string(i), 9.0f + i);
            set("road" + std::to_string(i), 19.0f + i);
        }
    }

private:
    std::map<std::string, std::unique_ptr<TrackInterpolate>> tracks;
};

// The names of the sprite scene's objects.
inline std::vector<std::string> spriteNames()
{
    return {"Tree", "Tree2", "Cactus", "Tumbleweed", "Mast", "SmallSign", "BigSign", "Palm"};
}

// One object per sprite name, in that order; object i gets meshes[i], or no
// mesh where meshes has none.
inline void addSpriteObjects(VLMScene& scene, const std::vector<VAO*>& meshes = {})
{
    const std::vector<std::string> names = spriteNames();
    for (size_t i = 0; i < names.size(); ++i) {
        Object* object = new Object();
        object->setName(names[i]);
        object->setMesh(i < meshes.size() ? meshes[i] : nullptr);
        scene.addObject(object);
    }
}
