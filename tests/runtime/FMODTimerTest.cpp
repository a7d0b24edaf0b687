#include "engine/runtime/FMODTimer.h"
#include "engine/runtime/VLMIO.h"

#include "AudioTestSupport.h"
#include "support/Capture.h"
#include "support/SevenZip.h"
#include "support/TempDir.h"

#include <SDL2/SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

using namespace audiotest;

namespace {

const std::string kVersionLine = "Fmod Version = " + std::to_string(FMOD_VERSION);

double steadySeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// True once every audio system has been released.
bool audioReleased()
{
    return SDL_WasInit(SDL_INIT_AUDIO) == 0;
}

bool initQuietly(Timer& clock, std::vector<std::string>* lines = nullptr)
{
    testsupport::StdoutCapture capture;
    bool ok = clock.init();
    if (lines)
        *lines = capture.lines();
    return ok;
}

}

TEST(FMODTimer, InitDecodesTheMusicAndWaitsPausedAtZero)
{
    struct Case {
        std::string path;
        int lengthMs;
        int rows;
    };
    const Case cases[] = {{stereoSound(), 1500, 30}, {monoSound(), 1200, 24}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        FMODTimer clock(c.path, 20, fakeClock);
        setNowMs(4000);
        std::vector<std::string> lines;
        ASSERT_TRUE(initQuietly(clock, &lines));
        EXPECT_EQ(lines, std::vector<std::string>{kVersionLine});
        EXPECT_EQ(clock.getError(), "");
        EXPECT_EQ(clock.getLengthMs(), c.lengthMs);
        EXPECT_EQ(clock.getRowCount(), c.rows);
        EXPECT_TRUE(clock.isPaused());
        setNowMs(9000);
        EXPECT_EQ(clock.getTimeMs(), 0);
        ASSERT_NE(clock.getChannel(), nullptr);
        EXPECT_TRUE(isPlaying(clock.getChannel()));
        EXPECT_EQ(clock.getChannelPositionMs(), 0);
    }
    EXPECT_TRUE(audioReleased()) << "the destructor releases the audio system";
}

TEST(FMODTimer, MissingOrBrokenMusicFailsWithTheCodeAndTheText)
{
    testsupport::TempDir dir;
    struct Case {
        const char* name;
        std::string path;
        FMOD_RESULT code;
    };
    const Case cases[] = {
        {"missing", dir.file("Kaldrune_320Kbps.mp3"), FMOD_ERR_FILE_NOTFOUND},
        {"empty", dir.write("empty.mp3", ""), FMOD_ERR_FORMAT},
        {"not an MP3", dir.write("text.mp3", std::string(3000, 'z')), FMOD_ERR_FORMAT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FMODTimer clock(c.path, 20, fakeClock);
        std::vector<std::string> lines;
        EXPECT_FALSE(initQuietly(clock, &lines));
        EXPECT_EQ(lines, (std::vector<std::string>{
                             kVersionLine, "Failed to create sound sysmte sound! Error code: " +
                                               std::to_string(c.code)}));
        EXPECT_EQ(clock.getError(), "FMOD Init : Failed to load soundfile!");
        EXPECT_EQ(clock.getChannel(), nullptr);

        // The system that init made is released, though no channel exists.
        EXPECT_TRUE(clock.shutdown());
        EXPECT_TRUE(audioReleased());
        EXPECT_EQ(clock.getError(), "FMOD Init : Failed to load soundfile!");
        EXPECT_TRUE(clock.shutdown());
    }
}

TEST(FMODTimer, ShutdownAfterTheMusicEndedReleasesEverythingOnce)
{
    FMODTimer clock(monoSound(), 20, steadySeconds);
    ASSERT_TRUE(initQuietly(clock));
    clock.setTimeMs(clock.getLengthMs() - 100);
    clock.play();
    FMOD_CHANNEL* channel = clock.getChannel();
    ASSERT_TRUE(waitFor([&] { return !isPlaying(channel); }));
    EXPECT_EQ(clock.getChannelPositionMs(), clock.getLengthMs());

    EXPECT_TRUE(clock.shutdown());
    EXPECT_EQ(clock.getError(), "");
    EXPECT_EQ(clock.getChannel(), nullptr);
    EXPECT_TRUE(audioReleased());
    EXPECT_TRUE(clock.shutdown());
    // Without a channel the clock still answers.
    clock.pause();
    clock.update();
    EXPECT_EQ(clock.getChannelPositionMs(), 0);
}

TEST(FMODTimer, PlayAlignsTheClockToTheChannelAndSeeksMoveIt)
{
    FMODTimer clock(stereoSound(), 20, fakeClock);
    setNowMs(0);
    ASSERT_TRUE(initQuietly(clock));
    clock.setTimeMs(300);
    EXPECT_EQ(clock.getChannelPositionMs(), 300);

    // The music is elsewhere than the clock; while paused nobody looks.
    ASSERT_EQ(FMOD_Channel_SetPosition(clock.getChannel(), 800, FMOD_TIMEUNIT_MS), FMOD_OK);
    setNowMs(1000);
    EXPECT_EQ(clock.getTimeMs(), 300);

    clock.play();
    int resumed = clock.getTimeMs();
    EXPECT_GE(resumed, 800);
    EXPECT_LT(resumed, 900);  // the channel may have run one output buffer
    EXPECT_EQ(clock.getDeltaMs(resumed), 0) << "the resume point is the last time";

    // Between resumes the clock runs on the time source alone.
    setNowMs(1500);
    EXPECT_EQ(clock.getTimeMs(), resumed + 500);
    clock.pause();
    clock.setTimeMs(1200);
    EXPECT_EQ(clock.getChannelPositionMs(), 1200);
    EXPECT_EQ(clock.getTimeMs(), 1200);
    clock.setRow(4);
    EXPECT_EQ(clock.getChannelPositionMs(), 200);
}

// Past the end of the music the clock keeps its own time: a start past the
// end (whatever the music's length) and a resume after the music ran out.
TEST(FMODTimer, PastTheMusicTheClockKeepsItsTimeAndTheChannelWaitsSilentAtTheEnd)
{
    FMODTimer clock(stereoSound(), 20, fakeClock);
    setNowMs(0);
    ASSERT_TRUE(initQuietly(clock));
    const int length = clock.getLengthMs();
    FMOD_CHANNEL* channel = clock.getChannel();
    for (int start : {length + 1, 40000, 0x7FFFFFFF}) {
        SCOPED_TRACE(start);
        clock.pause();
        clock.setTimeMs(0);
        setNowMs(1000);
        clock.setTimeMs(start);
        EXPECT_EQ(clock.getTimeMs(), start);
        EXPECT_EQ(clock.getChannelPositionMs(), length);
        EXPECT_FALSE(isPlaying(channel)) << "the music stays silent";
        clock.play();
        EXPECT_FALSE(clock.isPaused());
        EXPECT_EQ(clock.getTimeMs(), start);
        EXPECT_EQ(clock.getDeltaMs(start), 0);
        setNowMs(1500);
        if (start < 0x7FFFFFFF - 500) {
            EXPECT_EQ(clock.getTimeMs(), start + 500);
            EXPECT_EQ(clock.getDeltaMs(start + 500), 500);
        }
        EXPECT_EQ(clock.getChannelPositionMs(), length);
    }

    // A seek back into the music plays it, in step with the clock.
    clock.pause();
    clock.setTimeMs(length - 100);
    EXPECT_EQ(clock.getChannelPositionMs(), length - 100);
    setNowMs(2000);
    clock.play();
    EXPECT_GE(clock.getTimeMs(), length - 100);
    EXPECT_LT(clock.getTimeMs(), length);
    // The music runs out while the clock goes on: a resume does not take the
    // clock back to the music's end.
    ASSERT_TRUE(waitFor([&] { return !isPlaying(channel); }));
    setNowMs(7000);
    const int running = clock.getTimeMs();
    EXPECT_GT(running, length + 4000);
    clock.pause();
    clock.play();
    EXPECT_EQ(clock.getTimeMs(), running);
}

TEST(FMODTimer, TheLengthTheMusicFileStatesTellsACutFile)
{
    testsupport::TempDir dir;
    const std::string whole = testsupport::readWholeFile(stereoSound());
    struct Case {
        const char* what;
        std::string path;
        bool cutShort;
    } const cases[] = {
        {"whole", stereoSound(), false},
        {"cut in half", dir.write("half.mp3", whole.substr(0, whole.size() / 2)), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FMODTimer clock(c.path, 20, fakeClock);
        bool cutShort = true;
        EXPECT_EQ(clock.getStatedLengthMs(cutShort), 0) << "nothing before init";
        EXPECT_FALSE(cutShort);
        ASSERT_TRUE(initQuietly(clock));
        const int stated = clock.getStatedLengthMs(cutShort);
        EXPECT_EQ(cutShort, c.cutShort);
        EXPECT_GE(stated, 1500);
        EXPECT_LT(stated, 1600);
        EXPECT_LT(clock.getLengthMs(), stated);
    }
}

TEST(FMODTimer, SpectrumTypesCombineTheChannelsAndClampTheCount)
{
    FMODTimer clock(stereoSound(), 20, fakeClock);
    ASSERT_TRUE(initQuietly(clock));
    clock.setTimeMs(500);  // paused: the spectrum stays put

    const int n = 512;
    std::vector<float> left(n), right(n), sum(n), mean(n);
    clock.getSpectrum(0, n, left.data());
    clock.getSpectrum(1, n, right.data());
    clock.getSpectrum(2, n, sum.data());
    clock.getSpectrum(3, n, mean.data());
    EXPECT_NEAR(left[23], 0.5f, 0.1f);
    EXPECT_NEAR(right[93], 0.5f, 0.1f);
    for (int i = 0; i < n; ++i) {
        ASSERT_FLOAT_EQ(sum[i], left[i] + right[i]) << i;
        ASSERT_FLOAT_EQ(mean[i], (left[i] + right[i]) * 0.5f) << i;
    }

    // Counts above the buffers write the first 8192 values only.
    for (int type = 0; type <= 3; ++type) {
        SCOPED_TRACE(type);
        std::vector<float> big(10000, -1.0f);
        clock.getSpectrum(type, 10000, big.data());
        EXPECT_NE(big[FMODTimer::kSpectrumSize - 1], -1.0f);
        EXPECT_EQ(big[FMODTimer::kSpectrumSize], -1.0f);
        EXPECT_EQ(big.back(), -1.0f);
    }

    // Nothing is written for other types, empty counts, or without a channel.
    FMODTimer silent(std::string(PULSVEK_TEST_DATA) + "/audio/missing.mp3", 20, fakeClock);
    initQuietly(silent);
    struct Case {
        FMODTimer* clock;
        int type;
        int count;
    };
    const Case untouched[] = {{&clock, 4, n},  {&clock, -1, n},  {&clock, 0, 0},  {&clock, 3, -5},
                              {&silent, 0, n}, {&silent, 1, n}, {&silent, 2, n}, {&silent, 3, n}};
    for (const Case& c : untouched) {
        SCOPED_TRACE("type " + std::to_string(c.type) + ", count " + std::to_string(c.count));
        std::vector<float> out(n, -1.0f);
        c.clock->getSpectrum(c.type, c.count, out.data());
        EXPECT_EQ(out, std::vector<float>(n, -1.0f));
    }
}

TEST(FMODTimer, TheClockKeepsRealTimeWithTheMusicWithoutASoundDevice)
{
    for (const auto& driver : audioDrivers()) {
        SCOPED_TRACE(driver.value_or("(default)"));
        ScopedAudioDriver scoped(driver);
        FMODTimer clock(stereoSound(), 20, steadySeconds);
        ASSERT_TRUE(initQuietly(clock));
        EXPECT_EQ(clock.getLengthMs(), 1500);
        clock.play();
        ASSERT_TRUE(waitFor([&] { return clock.getChannelPositionMs() >= 300; }));
        // The music's position read between two readings of the clock lies
        // within a few output buffers of them. A busy machine may hold up the
        // test or the audio thread for a moment: the reading is taken again
        // until the music ends.
        int before = 0, music = 0, after = 0;
        auto agree = [&] {
            before = clock.getTimeMs();
            music = clock.getChannelPositionMs();
            after = clock.getTimeMs();
            return music >= before - 100 && music <= after + 100;
        };
        bool agreed = false;
        waitFor([&] {
            agreed = agreed || agree();
            return agreed || music >= 1500;
        });
        EXPECT_TRUE(agreed) << "clock " << before << " to " << after << " ms, music " << music << " ms";
    }
}

namespace {

// Runs inside a fresh folder whose resources.7z holds the music members.
struct MusicArchive : ::testing::Test {
    testsupport::TempDir dir;
    std::string previous;

    MusicArchive()
    {
        char buffer[4096];
        previous = getcwd(buffer, sizeof buffer) ? buffer : ".";
        testsupport::write7z(dir.file("resources.7z"),
                             {{VLMIO::soundFolder + "music.mp3", testsupport::readWholeFile(stereoSound())},
                              {VLMIO::soundFolder + "empty.mp3", ""},
                              {VLMIO::soundFolder + "text.mp3", std::string(3000, 'z')}});
        // The same music as a file, which archive mode must not read.
        dir.write(VLMIO::soundFolder + "loose.mp3", testsupport::readWholeFile(stereoSound()));
        EXPECT_EQ(chdir(dir.path().c_str()), 0);
    }
    ~MusicArchive() override
    {
        VLMIO::releaseArchive();
        testsupport::StdoutCapture quiet;
        VLMIO::setLoadMode(0);
        EXPECT_EQ(chdir(previous.c_str()), 0);
    }
};

}

TEST_F(MusicArchive, InitReadsTheMusicFromTheArchiveInArchiveMode)
{
    {
        testsupport::StdoutCapture capture;
        VLMIO::setLoadMode(1);
        ASSERT_EQ(capture.lines(), std::vector<std::string>{"arc_load : 1"});
    }
    FMODTimer clock(VLMIO::soundFolder + "music.mp3", 20, fakeClock);
    std::vector<std::string> lines;
    ASSERT_TRUE(initQuietly(clock, &lines));
    EXPECT_EQ(lines, std::vector<std::string>{kVersionLine});
    EXPECT_EQ(clock.getLengthMs(), 1500);
    EXPECT_EQ(clock.getRowCount(), 30);
    clock.setTimeMs(500);
    std::vector<float> left(512);
    clock.getSpectrum(0, 512, left.data());
    EXPECT_NEAR(left[23], 0.5f, 0.1f) << "the decoded member is the music";
}

TEST_F(MusicArchive, MusicThatTheModeCannotGiveFailsWithItsText)
{
    const std::string archiveMissing = "FMOD Init : Failed to load soundfile from archive!";
    const std::string notLoaded = "FMOD Init : Failed to load soundfile!";
    const std::string soundLine = "Failed to create sound sysmte sound! Error code: ";
    struct Case {
        const char* name;
        int mode;
        std::string member;
        std::string line;
        std::string error;
    };
    const Case cases[] = {
        {"member missing", 1, "loose.mp3", "Error code: 0", archiveMissing},
        {"member empty", 1, "empty.mp3", soundLine + std::to_string(FMOD_ERR_FORMAT), notLoaded},
        {"member not an MP3", 1, "text.mp3", soundLine + std::to_string(FMOD_ERR_FORMAT), notLoaded},
        {"unknown mode", 2, "music.mp3", soundLine + "0", notLoaded},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            testsupport::StdoutCapture quiet;
            VLMIO::setLoadMode(c.mode);
        }
        FMODTimer clock(VLMIO::soundFolder + c.member, 20, fakeClock);
        std::vector<std::string> lines;
        EXPECT_FALSE(initQuietly(clock, &lines));
        EXPECT_EQ(lines, (std::vector<std::string>{kVersionLine, c.line}));
        EXPECT_EQ(clock.getError(), c.error);
        EXPECT_TRUE(clock.shutdown());
        EXPECT_TRUE(audioReleased());
        VLMIO::releaseArchive();
    }
}
