#include "demo/DemoShaderCache.h"

void DemoShaderCache::init()
{
    createCubeVolume();
    createConeVolume();
}
