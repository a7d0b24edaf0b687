#include "demo/CubeTerrain.h"

#include "demo/CubeTerrainShared.h"
#include "demo/RoadSpline.h"
#include "util/Assert.h"

#include <glm/geometric.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/matrix.hpp>

#include <cmath>

// Where the drive stands and how the road's course places the car and the cameras.

using cubeterrain::identity;
using cubeterrain::valueAt;

glm::mat4 CubeTerrain::roadFrame(const float* X, const float* Y, int count, float carPos,
                                 float f)
{
    VLM_ASSERT(count >= 3);
    // The track keeps "carpos" within the window; anything outside is held at its edges.
    int i = 0;
    if (carPos >= static_cast<float>(count - 2))
        i = count - 3;
    else if (carPos >= 0.0f)
        i = static_cast<int>(std::floor(carPos));
    const float fi = static_cast<float>(i);
    const glm::vec3 P(X[i] + (X[i + 1] - X[i]) * f, Y[i] + (Y[i + 1] - Y[i]) * f, -(fi + f));
    const glm::vec3 A(X[i + 1] + (X[i + 2] - X[i + 1]) * f, Y[i + 1] + (Y[i + 2] - Y[i + 1]) * f,
                      -(fi + 1.0f + f));
    const glm::vec3 F = glm::normalize(A - P);
    glm::mat4 m(1.0f);
    m[0] = glm::vec4(F.y * F.y + F.z * F.z, -F.x * F.y, -F.x * F.z, 0.0f);
    m[1] = glm::vec4(0.0f, -F.z, F.y, 0.0f);
    m[2] = glm::vec4(-F.x, -F.y, -F.z, 0.0f);
    m[3] = glm::vec4(P.x, P.y + 128.0f, P.z, 1.0f);
    return m;
}

glm::mat4 CubeTerrain::carMatrix(int timeMs, float fraction) const
{
    return roadFrame(roadSpline->getTurn(), roadSpline->getHill(), rows,
                     valueAt(carPosTrack, timeMs), fraction);
}

glm::mat4 CubeTerrain::carViewMatrix(int timeMs, float fraction) const
{
    return glm::inverse(carMatrix(timeMs, fraction));
}

glm::mat4 CubeTerrain::splineCameraMatrix(int timeMs, float fraction) const
{
    const glm::mat4 turnAround = glm::scale(identity, glm::vec3(-1.0f, 1.0f, -1.0f));
    return turnAround * glm::inverse(carMatrix(timeMs, fraction));
}

glm::vec3 CubeTerrain::splinePoint(const glm::vec3& v, int k, float a) const
{
    VLM_ASSERT(k >= 0 && k < rows);
    const float* X = roadSpline->getTurn();
    const float* Y = roadSpline->getHill();
    if (a == 0.0f)
        return glm::vec3(X[k] + v.x, Y[k] + v.y, v.z);
    VLM_ASSERT(k + 1 < rows);
    return glm::vec3(X[k] + (X[k + 1] - X[k]) * a + v.x, Y[k] + (Y[k + 1] - Y[k]) * a + v.y,
                     v.z - a);
}

CubeTerrain::FramePosition CubeTerrain::framePosition(float position, bool lookBack,
                                                      int lookBackRows, int lastRow)
{
    if (lookBack)
        position -= static_cast<float>(lookBackRows);
    // Below the start (or not a number) is the start, beyond the end the last row.
    if (!(position >= 0.0f))
        return {0, 0.0f};
    if (position >= static_cast<float>(lastRow))
        return {lastRow, 0.0f};
    const int row = static_cast<int>(std::floor(position));
    return {row, position - static_cast<float>(row)};
}
