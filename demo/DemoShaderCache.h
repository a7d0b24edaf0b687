#pragma once
// The show's shader cache: its init builds the light volumes of deferred lighting.

#include "engine/render/ShaderCache.h"

class DemoShaderCache : public ShaderCache {
public:
    DemoShaderCache() = default;
    void init() override;
};
