#pragma once
// Helpers for the audio and clock tests: test sounds, a hand-driven time
// source, the audio driver choice and waiting on a playing channel.

#include "platform/FmodEx.h"

#include <chrono>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace audiotest {

// 1.5 s, 44100 Hz stereo: 990.5 Hz left, 4005.2 Hz right (bands 23 and 93 of
// 512), amplitude about 0.5.
inline std::string stereoSound()
{
    return std::string(PULSVEK_TEST_DATA) + "/audio/tones-stereo-44k.mp3";
}

// 1.2 s, 22050 Hz mono, 500 Hz.
inline std::string monoSound()
{
    return std::string(PULSVEK_TEST_DATA) + "/audio/tone-mono-22k.mp3";
}

// Time source driven by the test: setNowMs(ms) makes int(seconds * 1000) == ms.
inline double& fakeSeconds()
{
    static double seconds = 0.0;
    return seconds;
}
inline double fakeClock()
{
    return fakeSeconds();
}
inline void setNowMs(int ms)
{
    fakeSeconds() = (ms + 0.25) / 1000.0;
}

// Sets (or, with nullopt, removes) SDL_AUDIODRIVER for the scope.
class ScopedAudioDriver {
public:
    explicit ScopedAudioDriver(const std::optional<std::string>& driver)
    {
        if (const char* old = std::getenv("SDL_AUDIODRIVER"))
            saved = old;
        if (driver)
            setenv("SDL_AUDIODRIVER", driver->c_str(), 1);
        else
            unsetenv("SDL_AUDIODRIVER");
    }
    ~ScopedAudioDriver()
    {
        if (saved)
            setenv("SDL_AUDIODRIVER", saved->c_str(), 1);
        else
            unsetenv("SDL_AUDIODRIVER");
    }
    ScopedAudioDriver(const ScopedAudioDriver&) = delete;
    ScopedAudioDriver& operator=(const ScopedAudioDriver&) = delete;

private:
    std::optional<std::string> saved;
};

// SDL's silent driver, the default one (no sound card on CI) and one that
// does not exist.
inline std::vector<std::optional<std::string>> audioDrivers()
{
    return {std::string("dummy"), std::nullopt, std::string("nosuchdriver")};
}

// Polls until done() or the timeout; returns done(). The deadline is generous:
// a loaded machine may hold up the audio thread for seconds.
inline bool waitFor(const std::function<bool()>& done,
                    std::chrono::milliseconds timeout = std::chrono::seconds(30))
{
    auto end = std::chrono::steady_clock::now() + timeout;
    while (!done() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return done();
}

inline unsigned int positionMs(FMOD_CHANNEL* channel)
{
    unsigned int ms = 0;
    FMOD_Channel_GetPosition(channel, &ms, FMOD_TIMEUNIT_MS);
    return ms;
}

inline bool isPlaying(FMOD_CHANNEL* channel)
{
    FMOD_BOOL playing = 0;
    return FMOD_Channel_IsPlaying(channel, &playing) == FMOD_OK && playing;
}

}
