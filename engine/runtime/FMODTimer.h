#pragma once
// The show's clock tied to the channel that plays the music. The clock runs
// on the time source; the channel's position is read when playback resumes,
// so that the clock restarts in step with the music, and set on every seek.
// Past the end of the music the clock runs on silently in real time.

#include "engine/runtime/Timer.h"
#include "platform/FmodEx.h"

#include <string>
#include <vector>

class FMODTimer : public Timer {
public:
    FMODTimer(const std::string& musicFile, unsigned int rowsPerSecond,
              TimeSource timeSource = glfw27::getTime);
    ~FMODTimer() override;

    // Creates the audio system, decodes the music (a file in folder mode, an
    // archive member in archive mode) and starts it paused at 0.
    bool init() override;
    // Stops the channel and releases the sound and the system, whatever
    // exists of them; safe to call again.
    bool shutdown() override;
    void pause() override;
    void play() override;
    void setTimeMs(int t) override;
    void update() override;
    // type 0 left, 1 right, 2 left + right, 3 their mean; count is clamped
    // to the buffers' size; other types write nothing.
    void getSpectrum(int type, int count, float* out) override;

    // The length the music file's own header declares, 0 without one or
    // before init; cutShort: the file holds less music than that.
    int getStatedLengthMs(bool& cutShort);
    // 0 when the position cannot be read.
    int getChannelPositionMs();
    FMOD_CHANNEL* getChannel();
    using Timer::setClockMs;

    static constexpr int kSpectrumSize = 8192;

private:
    bool readChannelPosition(unsigned int& ms);

    FMOD_SOUND* sound = nullptr;
    FMOD_SYSTEM* system = nullptr;
    FMOD_CHANNEL* channel = nullptr;
    std::vector<float> spectrumLeft;
    std::vector<float> spectrumRight;
    std::string musicFile;
};
