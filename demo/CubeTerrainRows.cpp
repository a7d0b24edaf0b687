#include "demo/CubeTerrain.h"

#include "demo/RoadSpline.h"
#include "demo/TerrainGenerator.h"
#include "engine/render/Texture.h"
#include "util/Assert.h"

#include <GL/glew.h>

// The data textures that carry the window of rows to the shaders, and their uploads.

void CubeTerrain::createDataTextures()
{
    terrainData = new Texture(columns, rows, GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE);
    terrainData->setWrapAll(GL_CLAMP_TO_EDGE);
    roadData = new Texture(roadColumns, meshRowsFor(rows), GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE);

    roadSpline = new RoadSpline(rows);

    turnMap = new Texture(rows, 1, GL_R32F, GL_RED, GL_FLOAT);
    turnMap->setFilter(GL_NEAREST, GL_NEAREST);
    turnMap->setWrapAll(GL_CLAMP_TO_EDGE);
    hillMap = new Texture(rows, 1, GL_R32F, GL_RED, GL_FLOAT);
    hillMap->setFilter(GL_NEAREST, GL_NEAREST);
    hillMap->setWrapAll(GL_CLAMP_TO_EDGE);
}

void CubeTerrain::uploadRows(int startRow)
{
    VLM_ASSERT(startRow >= 0);
    const unsigned start = static_cast<unsigned>(startRow);
    if (const uint8_t* window = generator->getTerrainWindow(start)) {
        terrainData->updateTexture(window);
        roadData->updateTexture(generator->getRoadWindow(start));
        uploadCount += 2;
    }
    if (roadSpline->update(start)) {
        turnMap->updateTexture(roadSpline->getTurn());
        hillMap->updateTexture(roadSpline->getHill());
        uploadCount += 2;
    }
    scenery = generator->collectScenery(start);
}
