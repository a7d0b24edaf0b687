#include "engine/runtime/Demo.h"

#include "engine/render/Engine.h"
#include "platform/Glfw27.h"

#include <GLFW/glfw3.h>

namespace VLMPulsvek {
Demo* currentDemo = nullptr;
}

Demo::Demo(int, char**) : loader(nullptr), title("Velmora Devirazoro 3.0"), failed(false), flag2(false)
{
    VLMPulsvek::currentDemo = this;
}

Demo::~Demo()
{
    if (VLMPulsvek::currentDemo == this)
        VLMPulsvek::currentDemo = nullptr;
}

void Demo::keyPressed(int key, int action)
{
    if (action == glfw27::PRESS && key == GLFW_KEY_ESCAPE)
        setQuitFlag(true);
}
