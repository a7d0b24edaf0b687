#pragma once
// The show's clock: time in whole milliseconds and rows of 1000 / rowsPerSecond ms.
// This plain clock has no sound; it runs on the time source alone.

#include "platform/Glfw27.h"

#include <string>

// Seconds since some fixed moment; the program uses GLFW's timer.
using TimeSource = double (*)();

class Timer {
public:
    // rowsPerSecond must be 1 to 1000.
    explicit Timer(unsigned int rowsPerSecond, TimeSource timeSource = glfw27::getTime);
    virtual ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    virtual bool init();
    virtual bool shutdown();
    // Stops the clock; does nothing while it is stopped.
    virtual void pause();
    virtual void play();
    virtual int getTimeMs();
    virtual int getRowTimeMs();
    virtual int getRow();
    virtual void setRow(int row);
    // Moves the clock to t; a stopped clock stays stopped.
    virtual void setTimeMs(int t);
    virtual bool isPaused();
    virtual int getLengthMs();
    virtual int getRowCount();
    // Time since the t handed to the previous call; 0 while stopped.
    virtual int getDeltaMs(int t);
    virtual void update();
    virtual std::string getError();
    // Fills out[0..count-1] with positive, finite random values.
    virtual void getSpectrum(int type, int count, float* out);

protected:
    // int(seconds * 1000) of the time source, truncated.
    int now() const;
    // The clock reads t from now on; the stopped flag is unchanged.
    void setClockMs(int t);
    // rows = length / row length, integer divisions.
    void setLength(int lengthMs);

    unsigned int rowsPerSecond;
    bool paused = true;
    std::string error;
    int rowCount = 0;
    int startMs = 0;   // now minus the clock time, while running
    int pauseMs = 0;   // now at the moment of stopping
    int lastMs = 0;    // t of the previous getDeltaMs
    int lengthMs = 0;

private:
    TimeSource timeSource;
};

namespace VLMPulsvek {
// The show's clock, made by the loader's sound set-up.
extern Timer* timer;
}
