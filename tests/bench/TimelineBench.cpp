#include "engine/runtime/Effect.h"
#include "engine/runtime/StartStopKeyframe.h"
#include "engine/runtime/TrackEntry.h"
#include "engine/runtime/TrackInterpolate.h"
#include "engine/runtime/TrackManager.h"
#include "engine/runtime/TrackStartStop.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// Samples its parameter tracks every frame, as the production's effects do.
class SamplingEffect : public Effect {
public:
    void createTracks() override
    {
        for (int i = 0; i < 8; ++i) {
            TrackInterpolate* track = nullptr;
            addTrack("p" + std::to_string(i), track);
            for (unsigned row = 0; row < 4000; row += 37)
                track->addKeyframe(new Keyframe(row, static_cast<int>(row % 5), static_cast<float>(row)));
        }
    }
    void update(int timeMs) override
    {
        for (TrackInterpolate* track : tracks)
            sum += track->getValue(static_cast<unsigned>(timeMs));
    }
    void draw(int, int, FBO*) override {}
    float sum = 0.0f;
};

// One frame of a show of 12 effects, each with 8 parameter tracks.
void BM_TrackManagerRun(benchmark::State& state)
{
    SamplingEffect effects[12];
    TrackManager manager;
    for (int i = 0; i < 12; ++i) {
        effects[i].createTracks();
        TrackEntry* entry = new TrackEntry("effect" + std::to_string(i));
        TrackStartStop* startStop = new TrackStartStop(i);
        for (unsigned row = 0; row < 4000; row += 200)
            startStop->addKeyframePair(new StartStopKeyframe(row, 1), new StartStopKeyframe(row + 150, 0));
        entry->setStartStop(startStop);
        entry->setEffect(&effects[i]);
        manager.addEntry(entry);
    }
    manager.buildEntryList();
    int timeMs = 0;
    for (auto _ : state) {
        timeMs = (timeMs + 17) % 200000;
        manager.run(timeMs, timeMs / VLMPulsvek::MS_PER_ROW, 17);
    }
    benchmark::DoNotOptimize(effects[0].sum);
}
BENCHMARK(BM_TrackManagerRun);

}
