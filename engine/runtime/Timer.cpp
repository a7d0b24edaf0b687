#include "engine/runtime/Timer.h"

#include "util/Assert.h"

#include <cstdlib>

namespace VLMPulsvek {
Timer* timer = nullptr;
}

namespace {
constexpr int kLengthWithoutMusicMs = 600000;
}

Timer::Timer(unsigned int rowsPerSecond, TimeSource timeSource)
    : rowsPerSecond(rowsPerSecond), timeSource(timeSource)
{
    // Row lengths are 1000 / rowsPerSecond ms: both ends would divide by zero.
    VLM_ASSERT(rowsPerSecond >= 1 && rowsPerSecond <= 1000);
    VLM_ASSERT(timeSource != nullptr);
}

Timer::~Timer() = default;

int Timer::now() const
{
    return static_cast<int>(timeSource() * 1000.0);
}

void Timer::setClockMs(int t)
{
    int n = now();
    startMs = n - t;
    pauseMs = n;
    lastMs = t;
}

void Timer::setLength(int ms)
{
    lengthMs = ms;
    rowCount = static_cast<int>(static_cast<unsigned int>(ms) / (1000u / rowsPerSecond));
}

bool Timer::init()
{
    setLength(kLengthWithoutMusicMs);
    startMs = pauseMs = lastMs = now();
    return true;
}

bool Timer::shutdown()
{
    return true;
}

void Timer::pause()
{
    if (paused)
        return;
    paused = true;
    pauseMs = now();
}

void Timer::play()
{
    int t = getTimeMs();
    paused = false;
    startMs = now() - t;
    lastMs = t;
}

int Timer::getTimeMs()
{
    return paused ? pauseMs - startMs : now() - startMs;
}

int Timer::getRowTimeMs()
{
    return static_cast<int>(static_cast<unsigned int>(getRow()) * 1000u / rowsPerSecond);
}

int Timer::getRow()
{
    return static_cast<int>(static_cast<unsigned int>(getTimeMs()) * rowsPerSecond / 1000u);
}

void Timer::setRow(int row)
{
    setTimeMs(static_cast<int>(static_cast<unsigned int>(row) * 1000u / rowsPerSecond));
}

void Timer::setTimeMs(int t)
{
    setClockMs(t);
}

bool Timer::isPaused()
{
    return paused;
}

int Timer::getLengthMs()
{
    return lengthMs;
}

int Timer::getRowCount()
{
    return rowCount;
}

int Timer::getDeltaMs(int t)
{
    if (paused)
        return 0;
    int delta = t - lastMs;
    lastMs = t;
    return delta;
}

void Timer::update()
{
}

std::string Timer::getError()
{
    return error;
}

void Timer::getSpectrum(int, int count, float* out)
{
    if (!out)
        return;
    for (int i = 0; i < count; ++i) {
        int r = std::rand() % 10000;
        out[i] = r == 0 ? 1.0f : 1.0f / static_cast<float>(r);
    }
}
