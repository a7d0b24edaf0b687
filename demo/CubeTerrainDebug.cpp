#include "demo/CubeTerrain.h"

#include "demo/CubeTerrainShared.h"
#include "demo/RoadSpline.h"
#include "engine/render/Shader.h"
#include "engine/render/VAO.h"
#include "engine/render/VBO.h"

#include <GL/glew.h>

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>
#include <utility>

// The debug drawing: a marker across the road at a row, or the road spline's plots.

using cubeterrain::identity;

void CubeTerrain::buildGroundQuad()
{
    static const float quadPositions[18] = {-128, 255, 0, -128, -1, 0, 128, -1, 0,
                                            -128, 255, 0, 128,  -1, 0, 128, 255, 0};
    static const float quadUVs[12] = {0, 1, 0, 0, 1, 0, 0, 1, 1, 0, 1, 1};
    static const float quadNormals[18] = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
    groundQuad = new VAO("Geometry::Quad");
    groundQuad->createBuffer(GL_FLOAT, 18, const_cast<float*>(quadPositions), GL_STATIC_DRAW);
    groundQuad->createBuffer(GL_FLOAT, 12, const_cast<float*>(quadUVs), GL_STATIC_DRAW);
    groundQuad->createBuffer(GL_FLOAT, 18, const_cast<float*>(quadNormals), GL_STATIC_DRAW);
    groundQuad->mapArray(quadPositions, "in_Position", 3, 0);
    groundQuad->mapArray(quadUVs, "in_UV0", 2, 0);
    groundQuad->mapArray(quadNormals, "in_Normal", 3, 0);
    groundQuad->upload();
}

void CubeTerrain::debugDraw(const glm::mat4& camera, const glm::mat4& projection, bool rowMarker,
                            int row)
{
    if (rowMarker) {
        glDisable(GL_CULL_FACE);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        groundQuad->bind(colorShader);
        colorShader->setMatrix4("projM", projection);
        colorShader->setMatrix4("cameraM", camera);
        colorShader->setMatrix4("modelM",
                                glm::translate(identity, glm::vec3(0.0f, 0.0f, -static_cast<float>(row))));
        colorShader->setVec4("color", glm::vec4(1.0f, 0.0f, 0.0f, 0.25f));
        groundQuad->drawMode(GL_TRIANGLES);
        glDisable(GL_BLEND);
        glEnable(GL_CULL_FACE);
        return;
    }

    const std::pair<float, float> turnRange = roadSpline->getTurnRange();
    const std::pair<float, float> hillRange = roadSpline->getHillRange();
    float s = std::max(std::max(turnRange.second, hillRange.second),
                       std::fabs(std::min(turnRange.first, hillRange.first)));
    // A flat road has no range: plot it at the middle.
    if (!(s > 0.0f))
        s = 1.0f;
    const float* samples[2] = {roadSpline->getTurn(), roadSpline->getHill()};
    VAO* lines[2] = {splineXLine, splineYLine};
    for (int l = 0; l < 2; ++l) {
        VBO* buffer = lines[l]->getBuffers().front();
        float* out = static_cast<float*>(buffer->map(GL_WRITE_ONLY));
        if (!out)
            continue;
        for (int j = 0; j < rows; ++j) {
            out[j * 3 + 0] = 2.0f / static_cast<float>(rows) * static_cast<float>(j) - 1.0f;
            out[j * 3 + 1] = samples[l][j] / s;
            out[j * 3 + 2] = 0.0f;
        }
        // The extra last vertex closes the plot at the right edge with the last sample.
        out[rows * 3 + 0] = 1.0f;
        out[rows * 3 + 1] = samples[l][rows - 1] / s;
        out[rows * 3 + 2] = 0.0f;
        buffer->unmap();
    }
    glDisable(GL_DEPTH_TEST);
    const glm::vec4 colors[2] = {glm::vec4(1, 0, 0, 1), glm::vec4(0, 1, 0, 1)};
    for (int l = 0; l < 2; ++l) {
        lines[l]->bind(colorShader);
        colorShader->setMatrix4("projM", identity);
        colorShader->setMatrix4("cameraM", identity);
        colorShader->setMatrix4("modelM", identity);
        colorShader->setVec4("color", colors[l]);
        lines[l]->drawMode(GL_LINE_STRIP);
    }
}
