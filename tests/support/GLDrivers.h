#pragma once
// Keeps Mesa's own leftovers out of the leak reports of GL test processes.

namespace testsupport {

// Keeps the loaded GL drivers mapped until exit: the driver's own leftovers are
// then reported under its name (and suppressed) instead of as unknown frames.
// Call once a context exists.
void pinGLDrivers();

// Mesa's software rasteriser keeps an allocation made on its first mipmap
// generation, reached only through generated code that leak reports cannot
// name: make it once while leak tracking is off. Needs a current context.
void warmUpMipmaps();

}
