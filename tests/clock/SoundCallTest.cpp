// The calls the music clock makes to create its sound and to seek, seen from
// between the clock and the audio layer: this binary is linked with the
// layer's FMOD_System_CreateSound and FMOD_Channel_SetPosition wrapped (see
// tests/CMakeLists.txt).

#include "engine/runtime/FMODTimer.h"
#include "engine/runtime/VLMIO.h"

#include "runtime/AudioTestSupport.h"
#include "support/Capture.h"
#include "support/SevenZip.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

namespace {

struct Call {
    FMOD_MODE mode;
    std::string nameOrData;  // the path, or the bytes handed over
    bool exinfo;
    int cbsize;
    unsigned int length;
    std::thread::id thread;
    FMOD_RESULT result;
    bool sound;  // a sound came back from the call itself
};

std::vector<Call>& calls()
{
    static std::vector<Call> all;
    return all;
}

}

// The layer's call under its linker name, and the wrapper the linker puts in its place.
#define CREATE_SOUND "_Z23FMOD_System_CreateSoundP11FMOD_SYSTEMPKcjP22FMOD_CREATESOUNDEXINFOPP10FMOD_SOUND"
FMOD_RESULT realCreateSound(FMOD_SYSTEM*, const char*, FMOD_MODE, FMOD_CREATESOUNDEXINFO*, FMOD_SOUND**) asm(
    "__real_" CREATE_SOUND);
FMOD_RESULT wrappedCreateSound(FMOD_SYSTEM*, const char*, FMOD_MODE, FMOD_CREATESOUNDEXINFO*, FMOD_SOUND**) asm(
    "__wrap_" CREATE_SOUND);

FMOD_RESULT wrappedCreateSound(FMOD_SYSTEM* system, const char* nameOrData, FMOD_MODE mode,
                               FMOD_CREATESOUNDEXINFO* exinfo, FMOD_SOUND** sound)
{
    Call call{mode, "", exinfo != nullptr, exinfo ? exinfo->cbsize : 0, exinfo ? exinfo->length : 0,
              std::this_thread::get_id(), FMOD_OK, false};
    if (nameOrData)
        call.nameOrData = (mode & FMOD_OPENMEMORY) && exinfo ? std::string(nameOrData, exinfo->length) : nameOrData;
    call.result = realCreateSound(system, nameOrData, mode, exinfo, sound);
    call.sound = sound && *sound;
    calls().push_back(call);
    return call.result;
}

namespace {

struct Seek {
    unsigned int position;
    FMOD_TIMEUNIT unit;
    FMOD_RESULT result;
    bool operator==(const Seek& o) const { return position == o.position && unit == o.unit && result == o.result; }
};

std::vector<Seek>& seeks()
{
    static std::vector<Seek> all;
    return all;
}

}

#define SET_POSITION "_Z24FMOD_Channel_SetPositionP12FMOD_CHANNELjj"
FMOD_RESULT realSetPosition(FMOD_CHANNEL*, unsigned int, FMOD_TIMEUNIT) asm("__real_" SET_POSITION);
FMOD_RESULT wrappedSetPosition(FMOD_CHANNEL*, unsigned int, FMOD_TIMEUNIT) asm("__wrap_" SET_POSITION);

FMOD_RESULT wrappedSetPosition(FMOD_CHANNEL* channel, unsigned int position, FMOD_TIMEUNIT unit)
{
    const FMOD_RESULT result = realSetPosition(channel, position, unit);
    seeks().push_back({position, unit, result});
    return result;
}

namespace {

struct SoundCall : ::testing::TestWithParam<int> {
    testsupport::TempDir dir;
    std::string previous;
    const std::string music = testsupport::readWholeFile(audiotest::stereoSound());

    void SetUp() override
    {
        char buffer[4096];
        previous = getcwd(buffer, sizeof buffer) ? buffer : ".";
        testsupport::write7z(dir.file("resources.7z"), {{VLMIO::soundFolder + "music.mp3", music}});
        dir.write(VLMIO::soundFolder + "music.mp3", music);
        ASSERT_EQ(chdir(dir.path().c_str()), 0);
        testsupport::StdoutCapture quiet;
        VLMIO::setLoadMode(GetParam());
        calls().clear();
    }
    void TearDown() override
    {
        VLMIO::releaseArchive();
        testsupport::StdoutCapture quiet;
        VLMIO::setLoadMode(0);
        EXPECT_EQ(chdir(previous.c_str()), 0);
    }
};

}

TEST_P(SoundCall, TheClockMakesItsSoundWithOneCreateCallOnItsOwnThread)
{
    FMODTimer clock(VLMIO::soundFolder + "music.mp3", 20, audiotest::fakeClock);
    {
        testsupport::StdoutCapture quiet;
        ASSERT_TRUE(clock.init());
    }
    ASSERT_EQ(calls().size(), 1u);
    const Call& call = calls()[0];
    EXPECT_EQ(call.thread, std::this_thread::get_id());
    EXPECT_EQ(call.result, FMOD_OK);
    EXPECT_TRUE(call.sound) << "the sound is decoded inside the call";
    if (GetParam() == 1) {
        // The member's bytes from memory, with the 124-byte record giving their count.
        EXPECT_EQ(call.mode, 0x840u);
        EXPECT_TRUE(call.exinfo);
        EXPECT_EQ(call.cbsize, 124);
        EXPECT_EQ(call.length, music.size());
        EXPECT_EQ(call.nameOrData, music);
    } else {
        EXPECT_EQ(call.mode, 0x40u);
        EXPECT_FALSE(call.exinfo);
        EXPECT_EQ(call.nameOrData, VLMIO::soundFolder + "music.mp3");
    }
    EXPECT_EQ(clock.getLengthMs(), 1500);
}

INSTANTIATE_TEST_SUITE_P(FoldersAndArchive, SoundCall, ::testing::Values(0, 1));

// A seek past the music is refused by the layer; the clock then puts the
// channel at the music's end and goes to the time asked for.
TEST(SeekCall, ASeekPastTheMusicIsRefusedAndTheChannelWaitsAtItsEnd)
{
    FMODTimer clock(audiotest::stereoSound(), 20, audiotest::fakeClock);
    {
        testsupport::StdoutCapture quiet;
        ASSERT_TRUE(clock.init());
    }
    const unsigned int length = static_cast<unsigned int>(clock.getLengthMs());
    struct Case {
        int t;
        std::vector<Seek> calls;
    } const cases[] = {
        {300, {{300, FMOD_TIMEUNIT_MS, FMOD_OK}}},
        {static_cast<int>(length), {{length, FMOD_TIMEUNIT_MS, FMOD_OK}}},
        {40000, {{40000, FMOD_TIMEUNIT_MS, FMOD_ERR_INVALID_POSITION}, {length, FMOD_TIMEUNIT_MS, FMOD_OK}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.t);
        seeks().clear();
        clock.setTimeMs(c.t);
        EXPECT_EQ(seeks(), c.calls);
        EXPECT_EQ(clock.getTimeMs(), c.t);
    }
}
