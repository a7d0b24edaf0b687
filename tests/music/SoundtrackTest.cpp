// Checks the soundtrack the build wrote into the show's resource set.

#include "platform/FmodEx.h"
#include "tools/synth/Analysis.h"
#include "tools/arrangement/Arrangement.h"
#include "tools/synth/Mp3.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

namespace {

const std::string arrangementPath = std::string(PULSVEK_SOURCE_DIR) + "/content/music/arrangement.txt";
const std::string musicPath = std::string(PULSVEK_BINARY_DIR) + "/show/resources/sound/Kaldrune_320Kbps.mp3";

class SoundtrackTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::string error;
        arrangementRead = music::readArrangement(arrangementPath, arrangement, error);
        if (!arrangementRead)
            problem = error;
        else if (!synth::decodeMp3(musicPath, music, error))
            problem = error;
    }
    void SetUp() override
    {
        ASSERT_TRUE(problem.empty()) << problem;
    }

    static music::Arrangement arrangement;
    static synth::DecodedMp3 music;
    static bool arrangementRead;
    static std::string problem;
};

music::Arrangement SoundtrackTest::arrangement;
synth::DecodedMp3 SoundtrackTest::music;
bool SoundtrackTest::arrangementRead = false;
std::string SoundtrackTest::problem;

TEST_F(SoundtrackTest, IsStereoAt44100HzAndAsLongAsTheArrangement)
{
    EXPECT_EQ(music.sampleRate, 44100);
    EXPECT_EQ(music.channels, 2);
    double ms = 1000.0 * static_cast<double>(music.left.size()) / music.sampleRate;
    EXPECT_NEAR(ms, static_cast<double>(arrangement.totalMs()), 50.0);
}

TEST_F(SoundtrackTest, EngineAudioLayerReadsTheSameLength)
{
    FMOD_SYSTEM* system = nullptr;
    ASSERT_EQ(FMOD_System_Create(&system), FMOD_OK);
    ASSERT_EQ(FMOD_System_Init(system, 4, 0, nullptr), FMOD_OK);
    FMOD_SOUND* sound = nullptr;
    ASSERT_EQ(FMOD_System_CreateSound(system, musicPath.c_str(), FMOD_SOFTWARE, nullptr, &sound), FMOD_OK);
    unsigned int ms = 0;
    EXPECT_EQ(FMOD_Sound_GetLength(sound, &ms, FMOD_TIMEUNIT_MS), FMOD_OK);
    EXPECT_NEAR(static_cast<double>(ms), static_cast<double>(arrangement.totalMs()), 50.0);
    FMOD_System_Release(system);
}

TEST_F(SoundtrackTest, PeakStaysBelowFullScaleAtASensibleLoudness)
{
    synth::Levels all = synth::measureLevels(music.left.data(), music.right.data(), music.left.size(), 44100);
    EXPECT_LT(all.peak, 0.95) << synth::decibels(all.peak) << " dBFS";
    EXPECT_GT(all.peak, 0.5);
    EXPECT_GT(all.loudness, -16.0);
    EXPECT_LT(all.loudness, -9.0);
    // The last moment has died away: the music ends with the arrangement.
    size_t tail = 4410;
    synth::Levels end = synth::measureLevels(music.left.data() + music.left.size() - tail,
                                             music.right.data() + music.right.size() - tail, tail, 44100);
    EXPECT_LT(end.peak, 0.01);
}

TEST_F(SoundtrackTest, NeighbouringSectionsDifferInLoudnessOrSpectrum)
{
    std::vector<synth::Levels> levels;
    for (const music::Section& s : arrangement.sections) {
        size_t from = static_cast<size_t>(arrangement.barFrame(s.startBar, 44100));
        size_t to = std::min(music.left.size(), static_cast<size_t>(arrangement.barFrame(s.endBar(), 44100)));
        ASSERT_LT(from, to) << s.name;
        levels.push_back(synth::measureLevels(music.left.data() + from, music.right.data() + from, to - from, 44100));
        // No section is silent.
        EXPECT_GT(levels.back().loudness, -30.0) << s.name;
    }
    for (size_t k = 1; k < levels.size(); ++k) {
        double louder = std::fabs(levels[k].loudness - levels[k - 1].loudness);
        double spectrum = synth::spectrumDistance(levels[k], levels[k - 1]);
        EXPECT_TRUE(louder >= 3.0 || spectrum >= 1.0)
            << arrangement.sections[k - 1].name << " to " << arrangement.sections[k].name << ": " << louder
            << " dB louder, spectrum " << spectrum << " dB apart";
    }
}

}  // namespace
