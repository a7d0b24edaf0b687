#pragma once
// Loaded resources by name from the engine's pools, for callers that cannot go
// on without them. A missing pool or name fails the assertion "<value> != NULL"
// of the resource's kind, reported at the caller's place (pass VLM_HERE).

#include "util/Assert.h"

#include <string>

class Binary;
class DataEffectPool;
class Effect;
class FBO;
class Shader;
class Texture;
class Video;
class VLMScene;

namespace lookup {

Shader* shader(const std::string& name, vlm::SourcePlace at);
// By alias.
Texture* texture(const std::string& name, vlm::SourcePlace at);
// The framebuffer pool prints its own line for a missing name first.
FBO* fbo(const std::string& name, vlm::SourcePlace at);
VLMScene* scene(const std::string& name, vlm::SourcePlace at);
Binary* binary(const std::string& name, vlm::SourcePlace at);
Video* video(const std::string& name, vlm::SourcePlace at);
// From either effect pool: prototypes or instances.
Effect* effect(DataEffectPool* pool, const std::string& name, vlm::SourcePlace at);

}
