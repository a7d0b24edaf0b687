#pragma once
// The one hidden 3.2 core window of the GL benchmarks, opened on first use,
// with the shared meshes built.

bool benchGLReady();
