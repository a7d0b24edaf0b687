#include "engine/render/AnimationPath.h"
#include "engine/render/Camera.h"
#include "engine/render/Light.h"
#include "engine/render/Object.h"
#include "engine/render/VLMScene.h"

#include <benchmark/benchmark.h>

#include <glm/gtc/matrix_transform.hpp>

#include <string>

namespace {

// A car-like tree per root: a body with four wheels below it, repeated.
void BM_SceneUpdateMatrices(benchmark::State& state)
{
    VLMScene scene;
    const int roots = static_cast<int>(state.range(0));
    for (int r = 0; r < roots; ++r) {
        Object* body = new Object;
        body->setName("body" + std::to_string(r));
        body->setMatrix(glm::translate(glm::mat4(1.0f), glm::vec3(static_cast<float>(r), 0, 0)));
        scene.addObject(body);
        for (int w = 0; w < 4; ++w) {
            Object* wheel = new Object;
            wheel->setName(body->getName() + "_w" + std::to_string(w));
            wheel->setParent(body);
            body->addChild(wheel);
            scene.addObject(wheel);
        }
    }
    float t = 0.0f;
    for (auto _ : state) {
        scene.setRootMatrix(glm::rotate(glm::mat4(1.0f), t, glm::vec3(0, 1, 0)));
        scene.updateMatrices(t);
        t += 0.01f;
        benchmark::DoNotOptimize(scene.getObject(0)->getWorldMatrix());
    }
    state.SetItemsProcessed(state.iterations() * scene.getObjectCount());
}
BENCHMARK(BM_SceneUpdateMatrices)->Arg(20)->Arg(200);

void BM_PathSample(benchmark::State& state)
{
    AnimationPath path;
    path.setMode(static_cast<int>(state.range(0)));
    for (unsigned k = 0; k < 100; ++k)
        path.addPrimaryKey(k * 250, glm::vec3(static_cast<float>(k), static_cast<float>(k % 7), 0));
    float seconds = 0.0f;
    for (auto _ : state) {
        benchmark::DoNotOptimize(path.samplePrimary(seconds));
        seconds = seconds > 25.0f ? 0.0f : seconds + 0.0167f;
    }
}
BENCHMARK(BM_PathSample)->Arg(0)->Arg(1);

void BM_LightVolumes(benchmark::State& state)
{
    Camera camera("bench");
    camera.lookAt(glm::vec3(0, 0, -10), glm::vec3(0, 2, 5), glm::vec3(0, 1, 0));
    Light spot(Light::kSpot, nullptr, 10.0f, glm::vec4(1));
    spot.coneAngle = 60.0f;
    spot.setRotation(glm::vec3(10, 20, 30));
    Light point(Light::kPoint, nullptr, 4.0f, glm::vec4(1));
    for (auto _ : state) {
        spot.updateMatrices(&camera);
        point.updateMatrices(&camera);
        benchmark::DoNotOptimize(spot.getVolumeMatrix());
        benchmark::DoNotOptimize(point.getVolumeMatrix());
    }
}
BENCHMARK(BM_LightVolumes);

}
