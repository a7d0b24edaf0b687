#pragma once
// Engine-wide state of the screen and error reporting, and the window functions.

#include "engine/runtime/TimeCode.h"

#include <string>
#include <vector>

class Camera;
class ScreenSettings;

namespace VLMPulsvek {
extern ScreenSettings* screenSettings;  // settings of the opened window
extern bool quit;                       // the frame loop runs while this is false
extern std::string lastError;           // last engine failure text
extern bool glError;                    // set by every reported GL error; never cleared
extern int loopStartMs;
extern unsigned int frameCount;
extern std::vector<std::string> includedFiles;  // shader "#include" files, each once
extern Camera* syscam;
extern std::string musicFile;
extern TimeCode startTime;  // where the show starts
extern TimeCode endTime;    // the frame loop stops once the time passes it
// Told the name of each pass of a frame as it is issued (null, the default:
// nobody listens); the development runner times the passes with it.
extern void (*passListener)(const char* pass);
// The six resource declaration lists are declared in engine/runtime/ResourceDefinition.h.
}

bool openFullscreen(ScreenSettings* settings);
bool openWindowed(ScreenSettings* settings, const char* title);

void setQuitFlag(bool quit);
bool getQuitFlag();
std::string getLastError();

// Frames per second since the loop started; 0 before any time has passed.
float getAverageFPS(unsigned int nowMs);

// Reports one pending GL error, if any, with the name of the step.
bool checkGLError(const std::string& where);

void addIncludedFile(const std::string& file);

// Tells the pass listener, if any, that the named pass has been issued.
inline void markPass(const char* pass)
{
    if (VLMPulsvek::passListener)
        VLMPulsvek::passListener(pass);
}

// Registered as the key and the mouse-button callback; forwards to the demo's key handler.
void inputCallback(int key, int action);
