#include "engine/runtime/FMODTimer.h"

#include "engine/runtime/VLMIO.h"
#include "util/File.h"
#include "util/Log.h"

#include <algorithm>
#include <climits>
#include <memory>

FMODTimer::FMODTimer(const std::string& musicFile, unsigned int rowsPerSecond, TimeSource timeSource)
    : Timer(rowsPerSecond, timeSource),
      spectrumLeft(kSpectrumSize),
      spectrumRight(kSpectrumSize),
      musicFile(musicFile)
{
}

FMODTimer::~FMODTimer()
{
    shutdown();
}

bool FMODTimer::init()
{
    FMOD_RESULT r = FMOD_System_Create(&system);
    if (r != FMOD_OK) {
        vlm::logLine("Failed to create the FMOD System object! Error code: ", r);
        error = "Failed to initialize FMOD!";
        return false;
    }
    unsigned int version = 0;
    FMOD_System_GetVersion(system, &version);
    vlm::logLine("Fmod Version = ", version);

    r = FMOD_System_Init(system, 32, 0x4000, nullptr);
    if (r != FMOD_OK) {
        vlm::logLine("Failed to initialize FMOD! Error code: ", r);
        error = "Failed to initialize FMOD!";
        return false;
    }

    if (VLMIO::loadMode == 1) {
        std::unique_ptr<File> file(VLMIO::loadFile(musicFile));
        if (!file || !file->isOpen()) {
            vlm::logLine("Error code: ", 0);
            error = "FMOD Init : Failed to load soundfile from archive!";
            return false;
        }
        FMOD_CREATESOUNDEXINFO exinfo{};
        exinfo.cbsize = sizeof(exinfo);
        exinfo.length = static_cast<unsigned int>(file->getSize());
        std::vector<char> bytes = file->getData();
        r = FMOD_System_CreateSound(system, bytes.data(), FMOD_SOFTWARE | FMOD_OPENMEMORY, &exinfo, &sound);
        bytes = std::vector<char>();
        file.reset();
    } else if (VLMIO::loadMode == 0) {
        r = FMOD_System_CreateSound(system, musicFile.c_str(), FMOD_SOFTWARE, nullptr, &sound);
    }
    if (!sound) {
        vlm::logLine("Failed to create sound sysmte sound! Error code: ", r);
        error = "FMOD Init : Failed to load soundfile!";
        return false;
    }

    unsigned int length = 0;
    FMOD_Sound_GetLength(sound, &length, FMOD_TIMEUNIT_MS);
    setLength(static_cast<int>(length));

    r = FMOD_System_PlaySound(system, FMOD_CHANNEL_FREE, sound, 1, &channel);
    if (r != FMOD_OK) {
        vlm::logLine("Failed to play sound! Error code: ", r);
        error = "Failed to play sound!";
        return false;
    }

    startMs = pauseMs = lastMs = now();
    return true;
}

bool FMODTimer::shutdown()
{
    bool ok = true;
    if (channel) {
        FMOD_RESULT r = FMOD_Channel_IsPlaying(channel, nullptr);
        if (r == FMOD_OK)
            r = FMOD_Channel_Stop(channel);
        if (r != FMOD_OK) {
            error = "Failed to shut down FMOD!";
            ok = false;
        }
        channel = nullptr;
    }
    if (sound) {
        FMOD_Sound_Release(sound);
        sound = nullptr;
    }
    if (system) {
        FMOD_System_Release(system);
        system = nullptr;
    }
    return ok;
}

void FMODTimer::pause()
{
    if (paused)
        return;
    paused = true;
    FMOD_Channel_SetPaused(channel, 1);
    pauseMs = now();
}

void FMODTimer::play()
{
    int t = getTimeMs();
    paused = false;
    FMOD_Channel_SetPaused(channel, 0);
    // A channel at the end of the music no longer tells the time: the clock
    // keeps its own and the show runs on silently.
    unsigned int position = 0;
    if (readChannelPosition(position) && position < static_cast<unsigned int>(std::max(lengthMs, 0)))
        t = static_cast<int>(position);
    startMs = now() - t;
    lastMs = t;
}

void FMODTimer::setTimeMs(int t)
{
    // Past the music the channel waits silent at its end; the clock goes to t.
    if (FMOD_Channel_SetPosition(channel, static_cast<unsigned int>(t), FMOD_TIMEUNIT_MS) ==
        FMOD_ERR_INVALID_POSITION)
        FMOD_Channel_SetPosition(channel, static_cast<unsigned int>(std::max(lengthMs, 0)), FMOD_TIMEUNIT_MS);
    setClockMs(t);
}

void FMODTimer::update()
{
    FMOD_System_Update(system);
}

void FMODTimer::getSpectrum(int type, int count, float* out)
{
    if (!out || count <= 0)
        return;
    count = std::min(count, kSpectrumSize);
    switch (type) {
    case 0:
    case 1:
        FMOD_Channel_GetSpectrum(channel, out, count, type, FMOD_DSP_FFT_WINDOW_HAMMING);
        break;
    case 2:
    case 3: {
        float* left = spectrumLeft.data();
        float* right = spectrumRight.data();
        if (FMOD_Channel_GetSpectrum(channel, left, count, 0, FMOD_DSP_FFT_WINDOW_HAMMING) != FMOD_OK ||
            FMOD_Channel_GetSpectrum(channel, right, count, 1, FMOD_DSP_FFT_WINDOW_HAMMING) != FMOD_OK)
            return;
        const float scale = type == 2 ? 1.0f : 0.5f;
        for (int i = 0; i < count; ++i)
            out[i] = (left[i] + right[i]) * scale;
        break;
    }
    default:
        break;
    }
}

bool FMODTimer::readChannelPosition(unsigned int& ms)
{
    return FMOD_Channel_GetPosition(channel, &ms, FMOD_TIMEUNIT_MS) == FMOD_OK;
}

int FMODTimer::getStatedLengthMs(bool& cutShort)
{
    unsigned int ms = 0;
    cutShort = false;
    if (fmodex::getStatedLength(sound, &ms, &cutShort) != FMOD_OK)
        return 0;
    return static_cast<int>(std::min(ms, static_cast<unsigned int>(INT_MAX)));
}

int FMODTimer::getChannelPositionMs()
{
    unsigned int position = 0;
    return readChannelPosition(position) ? static_cast<int>(position) : 0;
}

FMOD_CHANNEL* FMODTimer::getChannel()
{
    return channel;
}
