#pragma once
// How much anisotropic filtering the terrain's tile arrays get: 16x, except on
// software rasterisers, which stall on it for seconds on single frames.

namespace Anisotropy {

constexpr float FULL = 16.0f;

// True when a GL_RENDERER text names a software rasteriser (llvmpipe, softpipe).
bool isSoftwareRenderer(const char* renderer);
// 1 on a software rasteriser, else FULL; the first time a software one is
// seen (reported false) it is logged and reported is set.
float forRenderer(const char* renderer, bool& reported);
// For the current context's renderer, logged once per process.
float current();

}
