#include "platform/FmodEx.h"

#include "AudioTestSupport.h"
#include "support/SoundFiles.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

using namespace audiotest;

namespace {

// An initialised system, released at the end of the scope.
class System {
public:
    explicit System(int channels = 32)
    {
        EXPECT_EQ(FMOD_System_Create(&handle), FMOD_OK);
        initResult = FMOD_System_Init(handle, channels, 0x4000, nullptr);
    }
    ~System() { FMOD_System_Release(handle); }
    System(const System&) = delete;
    System& operator=(const System&) = delete;

    FMOD_SYSTEM* handle = nullptr;
    FMOD_RESULT initResult;

    FMOD_RESULT loadPath(const std::string& path, FMOD_SOUND** sound)
    {
        return FMOD_System_CreateSound(handle, path.c_str(), FMOD_SOFTWARE, nullptr, sound);
    }
    FMOD_RESULT loadMemory(const std::string& bytes, FMOD_SOUND** sound)
    {
        FMOD_CREATESOUNDEXINFO exinfo{};
        exinfo.cbsize = sizeof(exinfo);
        exinfo.length = static_cast<unsigned int>(bytes.size());
        return FMOD_System_CreateSound(handle, bytes.data(), FMOD_SOFTWARE | FMOD_OPENMEMORY, &exinfo,
                                       sound);
    }
    FMOD_CHANNEL* playPaused(FMOD_SOUND* sound)
    {
        FMOD_CHANNEL* channel = nullptr;
        EXPECT_EQ(FMOD_System_PlaySound(handle, FMOD_CHANNEL_FREE, sound, 1, &channel), FMOD_OK);
        return channel;
    }
};

unsigned int lengthMs(FMOD_SOUND* sound)
{
    unsigned int ms = 0;
    EXPECT_EQ(FMOD_Sound_GetLength(sound, &ms, FMOD_TIMEUNIT_MS), FMOD_OK);
    return ms;
}

int loudestBand(const std::vector<float>& bands)
{
    return static_cast<int>(std::max_element(bands.begin(), bands.end()) - bands.begin());
}

}

TEST(FmodEx, DecodesWholeSoundsFromPathAndMemoryWithTheirLength)
{
    // One MP3 frame is 1152 samples at 44100 Hz, 576 at 22050 Hz: 26 ms either way.
    struct Case {
        const char* name;
        std::string path;
        unsigned int expectedMs;
    };
    const Case cases[] = {
        {"stereo 44100 Hz", stereoSound(), 1500},
        {"mono 22050 Hz", monoSound(), 1200},
    };
    System system;
    ASSERT_EQ(system.initResult, FMOD_OK);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FMOD_SOUND* fromPath = nullptr;
        FMOD_SOUND* fromMemory = nullptr;
        ASSERT_EQ(system.loadPath(c.path, &fromPath), FMOD_OK);
        std::string bytes = testsupport::readWholeFile(c.path);
        ASSERT_EQ(system.loadMemory(bytes, &fromMemory), FMOD_OK);
        bytes.assign(bytes.size(), '\0');  // the sound keeps its own copy
        EXPECT_NEAR(lengthMs(fromPath), c.expectedMs, 26u);
        EXPECT_EQ(lengthMs(fromMemory), lengthMs(fromPath));

        // The decoded samples are there: a band of the tone stands out.
        std::vector<float> bands(512);
        FMOD_CHANNEL* channel = system.playPaused(fromMemory);
        ASSERT_EQ(FMOD_Channel_SetPosition(channel, 500, FMOD_TIMEUNIT_MS), FMOD_OK);
        ASSERT_EQ(FMOD_Channel_GetSpectrum(channel, bands.data(), 512, 0, FMOD_DSP_FFT_WINDOW_HAMMING),
                  FMOD_OK);
        EXPECT_GT(*std::max_element(bands.begin(), bands.end()), 0.3f);
    }
}

TEST(FmodEx, TheDecoderKeepsNoIdleRoomInASoundItCouldSizeFromTheStream)
{
    System system;
    ASSERT_EQ(system.initResult, FMOD_OK);
    const std::string bytes = testsupport::readWholeFile(stereoSound());
    fmodex::DecodedAudio audio;
    ASSERT_EQ(fmodex::decodeMp3(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), audio), FMOD_OK);
    EXPECT_EQ(audio.samples.size(), audio.frames * 2);
    EXPECT_LE(audio.samples.capacity() - audio.samples.size(), audio.samples.size() / 16);
    FMOD_SOUND* fromMemory = nullptr;
    ASSERT_EQ(system.loadMemory(bytes, &fromMemory), FMOD_OK);
    EXPECT_EQ(lengthMs(fromMemory), audio.frames * 1000 / static_cast<uint64_t>(audio.rate));
}

TEST(FmodEx, ATruncatedSoundPlaysWhatIsLeft)
{
    System system;
    std::string bytes = testsupport::readWholeFile(stereoSound());
    FMOD_SOUND* half = nullptr;
    ASSERT_EQ(system.loadMemory(bytes.substr(0, bytes.size() / 2), &half), FMOD_OK);
    EXPECT_GT(lengthMs(half), 500u);
    EXPECT_LT(lengthMs(half), 1000u);
}

TEST(FmodEx, MissingOrUndecodableSoundsAreErrors)
{
    testsupport::TempDir dir;
    std::string mp3 = testsupport::readWholeFile(stereoSound());
    struct Case {
        const char* name;
        std::function<FMOD_RESULT(System&, FMOD_SOUND**)> load;
        FMOD_RESULT expected;
    };
    const Case cases[] = {
        {"missing file", [&](System& s, FMOD_SOUND** out) { return s.loadPath(dir.file("none.mp3"), out); },
         FMOD_ERR_FILE_NOTFOUND},
        {"folder", [&](System& s, FMOD_SOUND** out) { return s.loadPath(dir.path(), out); },
         FMOD_ERR_FILE_NOTFOUND},
        {"empty file", [&](System& s, FMOD_SOUND** out) { return s.loadPath(dir.write("e.mp3", ""), out); },
         FMOD_ERR_FORMAT},
        {"text file",
         [&](System& s, FMOD_SOUND** out) {
             return s.loadPath(dir.write("t.mp3", std::string(4000, 'x') + "no sound here"), out);
         },
         FMOD_ERR_FORMAT},
        {"header frame only", [&](System& s, FMOD_SOUND** out) { return s.loadMemory(mp3.substr(0, 100), out); },
         FMOD_ERR_FORMAT},
        {"no bytes in memory", [&](System& s, FMOD_SOUND** out) { return s.loadMemory("", out); },
         FMOD_ERR_FORMAT},
        {"memory without its size",
         [&](System& s, FMOD_SOUND** out) {
             return FMOD_System_CreateSound(s.handle, mp3.data(), FMOD_OPENMEMORY, nullptr, out);
         },
         FMOD_ERR_INVALID_PARAM},
        {"unknown mode bits",
         [&](System& s, FMOD_SOUND** out) {
             return FMOD_System_CreateSound(s.handle, stereoSound().c_str(), 0x1, nullptr, out);
         },
         FMOD_ERR_INVALID_PARAM},
    };
    System system;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FMOD_SOUND* sound = reinterpret_cast<FMOD_SOUND*>(&system);  // must be reset to null
        EXPECT_EQ(c.load(system, &sound), c.expected);
        EXPECT_EQ(sound, nullptr);
    }
}

TEST(FmodEx, ChannelsRunInRealTimeWithOrWithoutASoundDevice)
{
    // CI has no sound card: the default driver and a missing one both end on
    // the silent output, which must still consume the sound in real time.
    for (const auto& driver : audioDrivers()) {
        SCOPED_TRACE(driver.value_or("(default)"));
        ScopedAudioDriver scoped(driver);
        System system;
        ASSERT_EQ(system.initResult, FMOD_OK);
        FMOD_SOUND* sound = nullptr;
        ASSERT_EQ(system.loadPath(stereoSound(), &sound), FMOD_OK);
        EXPECT_EQ(lengthMs(sound), 1500u);
        FMOD_CHANNEL* channel = system.playPaused(sound);
        // A second channel that plays shows that the output has run for a while.
        FMOD_CHANNEL* witness = system.playPaused(sound);
        auto letTheOutputRun = [&] {
            EXPECT_EQ(FMOD_Channel_SetPosition(witness, 0, FMOD_TIMEUNIT_MS), FMOD_OK);
            EXPECT_EQ(FMOD_Channel_SetPaused(witness, 0), FMOD_OK);
            EXPECT_TRUE(waitFor([&] { return positionMs(witness) >= 100; }));
            EXPECT_EQ(FMOD_Channel_SetPaused(witness, 1), FMOD_OK);
        };

        letTheOutputRun();
        EXPECT_EQ(positionMs(channel), 0u) << "a channel started paused stays at 0";

        auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(FMOD_Channel_SetPaused(channel, 0), FMOD_OK);
        EXPECT_TRUE(waitFor([&] { return positionMs(channel) >= 300; }));
        // Never ahead of real time by more than a couple of output buffers (the
        // position is read first: a delay of the test only adds real time).
        const unsigned int position = positionMs(channel);
        auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start);
        EXPECT_LE(position, elapsed.count() + 100);

        ASSERT_EQ(FMOD_Channel_SetPaused(channel, 1), FMOD_OK);
        unsigned int stopped = positionMs(channel);
        letTheOutputRun();
        EXPECT_EQ(positionMs(channel), stopped) << "pausing stops the position";
    }
}

TEST(FmodEx, PositionsRoundTripUpToTheEndAndPastItAreInvalid)
{
    constexpr unsigned int kEnd = 0xFFFFFFFFu;  // the sound's length
    constexpr unsigned int kPastEnd = 0xFFFFFFFEu;  // the sound's length + 1
    struct Case {
        std::string path;
        unsigned int set;
        FMOD_RESULT result;
        unsigned int expected;  // the position read back
    };
    const Case cases[] = {
        {stereoSound(), 0, FMOD_OK, 0},        {stereoSound(), 149, FMOD_OK, 149},
        {stereoSound(), 1001, FMOD_OK, 1001},  {monoSound(), 149, FMOD_OK, 149},
        {monoSound(), 333, FMOD_OK, 333},      {monoSound(), 999, FMOD_OK, 999},
        {monoSound(), kEnd, FMOD_OK, kEnd},    {stereoSound(), kEnd, FMOD_OK, kEnd},
        // Past the end the channel stays where it was.
        {stereoSound(), kPastEnd, FMOD_ERR_INVALID_POSITION, 700},
        {stereoSound(), 1500000, FMOD_ERR_INVALID_POSITION, 700},
        {monoSound(), 0xFFFFFFFDu, FMOD_ERR_INVALID_POSITION, 700},
    };
    System system;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path + " at " + std::to_string(c.set));
        FMOD_SOUND* sound = nullptr;
        ASSERT_EQ(system.loadPath(c.path, &sound), FMOD_OK);
        FMOD_CHANNEL* channel = system.playPaused(sound);
        ASSERT_EQ(FMOD_Channel_SetPosition(channel, 700, FMOD_TIMEUNIT_MS), FMOD_OK);
        const unsigned int set = c.set == kEnd ? lengthMs(sound) : c.set == kPastEnd ? lengthMs(sound) + 1 : c.set;
        EXPECT_EQ(FMOD_Channel_SetPosition(channel, set, FMOD_TIMEUNIT_MS), c.result);
        const unsigned int expected = c.expected == kEnd ? lengthMs(sound) : c.expected;
        EXPECT_EQ(positionMs(channel), expected);
        EXPECT_EQ(isPlaying(channel), expected < lengthMs(sound));
        FMOD_Sound_Release(sound);
    }
}

TEST(FmodEx, AChannelPlaysToTheEndOfItsSoundAndStaysThere)
{
    System system;
    FMOD_SOUND* sound = nullptr;
    ASSERT_EQ(system.loadPath(monoSound(), &sound), FMOD_OK);
    FMOD_CHANNEL* channel = system.playPaused(sound);
    unsigned int length = lengthMs(sound);
    ASSERT_EQ(FMOD_Channel_SetPosition(channel, length - 150, FMOD_TIMEUNIT_MS), FMOD_OK);
    EXPECT_TRUE(isPlaying(channel)) << "a paused channel inside its sound counts as playing";
    ASSERT_EQ(FMOD_Channel_SetPaused(channel, 0), FMOD_OK);
    ASSERT_TRUE(waitFor([&] { return !isPlaying(channel); }));
    EXPECT_EQ(positionMs(channel), length);
    // A seek back inside the sound plays on.
    ASSERT_EQ(FMOD_Channel_SetPosition(channel, 100, FMOD_TIMEUNIT_MS), FMOD_OK);
    EXPECT_TRUE(isPlaying(channel));
    EXPECT_TRUE(waitFor([&] { return positionMs(channel) > 150; }));
}

TEST(FmodEx, SpectrumShowsEachChannelsToneAtThePlayPosition)
{
    System system;
    FMOD_SOUND* sound = nullptr;
    ASSERT_EQ(system.loadPath(stereoSound(), &sound), FMOD_OK);
    FMOD_CHANNEL* channel = system.playPaused(sound);
    ASSERT_EQ(FMOD_Channel_SetPosition(channel, 500, FMOD_TIMEUNIT_MS), FMOD_OK);

    struct Case {
        int offset;
        int bands;
        int loudest;
    };
    const Case cases[] = {{0, 512, 23}, {1, 512, 93}, {0, 1024, 46}, {1, 256, 46}};
    for (const Case& c : cases) {
        SCOPED_TRACE("offset " + std::to_string(c.offset) + ", " + std::to_string(c.bands) + " bands");
        std::vector<float> bands(static_cast<size_t>(c.bands));
        ASSERT_EQ(FMOD_Channel_GetSpectrum(channel, bands.data(), c.bands, c.offset,
                                           FMOD_DSP_FFT_WINDOW_HAMMING),
                  FMOD_OK);
        EXPECT_EQ(loudestBand(bands), c.loudest);
        EXPECT_NEAR(bands[static_cast<size_t>(c.loudest)], 0.5f, 0.1f);
        EXPECT_LT(bands[static_cast<size_t>(c.loudest) / 2], 0.05f);
    }

    // Past the end there is nothing to hear.
    ASSERT_EQ(FMOD_Channel_SetPosition(channel, 1500, FMOD_TIMEUNIT_MS), FMOD_OK);
    std::vector<float> bands(512, 7.0f);
    ASSERT_EQ(FMOD_Channel_GetSpectrum(channel, bands.data(), 512, 0, FMOD_DSP_FFT_WINDOW_HAMMING), FMOD_OK);
    EXPECT_EQ(*std::max_element(bands.begin(), bands.end()), 0.0f);
}

TEST(FmodEx, SpectrumRejectsBadRequestsWithoutWriting)
{
    System system;
    FMOD_SOUND* stereo = nullptr;
    FMOD_SOUND* mono = nullptr;
    ASSERT_EQ(system.loadPath(stereoSound(), &stereo), FMOD_OK);
    ASSERT_EQ(system.loadPath(monoSound(), &mono), FMOD_OK);
    FMOD_CHANNEL* stereoChannel = system.playPaused(stereo);
    FMOD_CHANNEL* monoChannel = system.playPaused(mono);
    struct Case {
        const char* name;
        FMOD_CHANNEL* channel;
        int count;
        int offset;
        int window;
    };
    const Case cases[] = {
        {"no bands", stereoChannel, 0, 0, FMOD_DSP_FFT_WINDOW_HAMMING},
        {"too many bands", stereoChannel, FMOD_SPECTRUM_MAX + 1, 0, FMOD_DSP_FFT_WINDOW_HAMMING},
        {"negative channel", stereoChannel, 64, -1, FMOD_DSP_FFT_WINDOW_HAMMING},
        {"third channel", stereoChannel, 64, 2, FMOD_DSP_FFT_WINDOW_HAMMING},
        {"right channel of mono", monoChannel, 64, 1, FMOD_DSP_FFT_WINDOW_HAMMING},
        {"other window", stereoChannel, 64, 0, 0},
    };
    std::vector<float> out(FMOD_SPECTRUM_MAX + 2, -1.0f);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FMOD_Channel_GetSpectrum(c.channel, out.data(), c.count, c.offset,
                                           static_cast<FMOD_DSP_FFT_WINDOW>(c.window)),
                  FMOD_ERR_INVALID_PARAM);
        EXPECT_EQ(*std::max_element(out.begin(), out.end()), -1.0f);
    }
    EXPECT_EQ(FMOD_Channel_GetSpectrum(stereoChannel, out.data(), FMOD_SPECTRUM_MAX, 1,
                                       FMOD_DSP_FFT_WINDOW_HAMMING),
              FMOD_OK);
    EXPECT_EQ(out[FMOD_SPECTRUM_MAX], -1.0f);
}

TEST(FmodEx, InvalidHandlesAndCallOrderAreRefused)
{
    unsigned int ms = 0;
    FMOD_BOOL flag = 0;
    float bands[64];
    FMOD_SOUND* sound = nullptr;
    FMOD_CHANNEL* channel = nullptr;
    // Null handles.
    EXPECT_EQ(FMOD_System_Init(nullptr, 32, 0, nullptr), FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(FMOD_System_Update(nullptr), FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(FMOD_System_Release(nullptr), FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(FMOD_System_GetVersion(nullptr, &ms), FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(FMOD_System_CreateSound(nullptr, "x.mp3", 0, nullptr, &sound), FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(FMOD_Sound_GetLength(nullptr, &ms, FMOD_TIMEUNIT_MS), FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(FMOD_Sound_Release(nullptr), FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(FMOD_Channel_SetPaused(nullptr, 0), FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(FMOD_Channel_IsPlaying(nullptr, nullptr), FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(FMOD_Channel_GetPosition(nullptr, &ms, FMOD_TIMEUNIT_MS), FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(FMOD_Channel_SetPosition(nullptr, 0, FMOD_TIMEUNIT_MS), FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(FMOD_Channel_GetSpectrum(nullptr, bands, 64, 0, FMOD_DSP_FFT_WINDOW_HAMMING),
              FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(FMOD_Channel_Stop(nullptr), FMOD_ERR_INVALID_HANDLE);

    // Order: nothing before init, init once, one channel per allowed channel.
    FMOD_SYSTEM* raw = nullptr;
    ASSERT_EQ(FMOD_System_Create(&raw), FMOD_OK);
    EXPECT_EQ(FMOD_System_CreateSound(raw, stereoSound().c_str(), 0, nullptr, &sound), FMOD_ERR_UNINITIALIZED);
    EXPECT_EQ(FMOD_System_Update(raw), FMOD_ERR_UNINITIALIZED);
    EXPECT_EQ(FMOD_System_Init(raw, 0, 0, nullptr), FMOD_ERR_INVALID_PARAM);
    ASSERT_EQ(FMOD_System_Init(raw, 1, 0, nullptr), FMOD_OK);
    EXPECT_EQ(FMOD_System_Init(raw, 1, 0, nullptr), FMOD_ERR_INITIALIZED);
    EXPECT_EQ(FMOD_System_GetVersion(raw, &ms), FMOD_OK);
    EXPECT_EQ(ms, FMOD_VERSION);
    ASSERT_EQ(FMOD_System_CreateSound(raw, stereoSound().c_str(), 0, nullptr, &sound), FMOD_OK);
    EXPECT_EQ(FMOD_System_PlaySound(raw, 0, sound, 1, &channel), FMOD_ERR_INVALID_PARAM);
    ASSERT_EQ(FMOD_System_PlaySound(raw, FMOD_CHANNEL_FREE, sound, 0, &channel), FMOD_OK);
    FMOD_CHANNEL* second = nullptr;
    EXPECT_EQ(FMOD_System_PlaySound(raw, FMOD_CHANNEL_FREE, sound, 0, &second), FMOD_ERR_CHANNEL_ALLOC);
    EXPECT_EQ(second, nullptr);

    // A stopped channel refuses every call and frees its slot.
    ASSERT_EQ(FMOD_Channel_Stop(channel), FMOD_OK);
    EXPECT_EQ(FMOD_Channel_Stop(channel), FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(FMOD_Channel_IsPlaying(channel, &flag), FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(FMOD_Channel_GetPosition(channel, &ms, FMOD_TIMEUNIT_MS), FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(FMOD_Channel_SetPosition(channel, 0, FMOD_TIMEUNIT_MS), FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(FMOD_Channel_SetPaused(channel, 1), FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(FMOD_Channel_GetSpectrum(channel, bands, 64, 0, FMOD_DSP_FFT_WINDOW_HAMMING),
              FMOD_ERR_INVALID_HANDLE);
    ASSERT_EQ(FMOD_System_PlaySound(raw, FMOD_CHANNEL_FREE, sound, 0, &second), FMOD_OK);

    // Releasing a sound that is playing stops its channel first.
    ASSERT_EQ(FMOD_Sound_Release(sound), FMOD_OK);
    EXPECT_EQ(FMOD_Channel_IsPlaying(second, nullptr), FMOD_ERR_INVALID_HANDLE);
    EXPECT_EQ(FMOD_System_Update(raw), FMOD_OK);
    EXPECT_EQ(FMOD_System_Release(raw), FMOD_OK);
}

TEST(FmodEx, ReleasingASystemReleasesWhatIsStillPlaying)
{
    for (int i = 0; i < 3; ++i) {
        FMOD_SYSTEM* raw = nullptr;
        ASSERT_EQ(FMOD_System_Create(&raw), FMOD_OK);
        ASSERT_EQ(FMOD_System_Init(raw, 32, 0, nullptr), FMOD_OK);
        FMOD_SOUND* sound = nullptr;
        ASSERT_EQ(FMOD_System_CreateSound(raw, stereoSound().c_str(), 0, nullptr, &sound), FMOD_OK);
        FMOD_CHANNEL* channel = nullptr;
        ASSERT_EQ(FMOD_System_PlaySound(raw, FMOD_CHANNEL_FREE, sound, 0, &channel), FMOD_OK);
        ASSERT_TRUE(waitFor([&] { return positionMs(channel) > 0; }));
        EXPECT_EQ(FMOD_System_Release(raw), FMOD_OK);
    }
}

// Every cut of an MP3 either decodes what is whole (never more than the file)
// or is refused; none crashes or leaks.
TEST(FmodEx, EveryCutOfASoundLoadsWhatIsLeftOrFails)
{
    const std::string bytes = testsupport::readWholeFile(monoSound());
    System system;
    FMOD_SOUND* whole = nullptr;
    ASSERT_EQ(system.loadMemory(bytes, &whole), FMOD_OK);
    const unsigned int wholeMs = lengthMs(whole);
    FMOD_Sound_Release(whole);
    int loaded = 0;
    for (size_t n = 0; n < bytes.size(); ++n) {
        FMOD_SOUND* sound = nullptr;
        const FMOD_RESULT r = system.loadMemory(bytes.substr(0, n), &sound);
        if (r == FMOD_OK) {
            ++loaded;
            EXPECT_LE(lengthMs(sound), wholeMs) << "cut at " << n;
            FMOD_Sound_Release(sound);
        } else {
            EXPECT_EQ(r, FMOD_ERR_FORMAT) << "cut at " << n;
            EXPECT_EQ(sound, nullptr) << "cut at " << n;
        }
    }
    // The later cuts keep most of the sound.
    EXPECT_GT(loaded, static_cast<int>(bytes.size()) / 2);
}

// The frame count in the file's own header is not what the buffers are sized by.
TEST(FmodEx, AFrameCountTheFileStatesIsNotTrusted)
{
    const std::string bytes = testsupport::readWholeFile(monoSound());
    // "Xing", flags with the frame count present, then the count.
    const size_t xing = bytes.find("Xing");
    ASSERT_NE(xing, std::string::npos);
    ASSERT_EQ(bytes[xing + 7] & 1, 1);
    System system;
    FMOD_SOUND* original = nullptr;
    ASSERT_EQ(system.loadMemory(bytes, &original), FMOD_OK);
    for (uint32_t frames : {0xFFFFFFFFu, 0x7FFFFFFFu, 0x01000000u, 0u}) {
        std::string forged = bytes;
        for (int i = 0; i < 4; ++i)
            forged[xing + 8 + static_cast<size_t>(i)] = static_cast<char>(frames >> (24 - 8 * i));
        FMOD_SOUND* sound = nullptr;
        ASSERT_EQ(system.loadMemory(forged, &sound), FMOD_OK) << frames;
        // Without the header's count the padding at the end is not trimmed.
        EXPECT_NEAR(lengthMs(sound), lengthMs(original), 80u) << frames;
        FMOD_Sound_Release(sound);
    }
}

// The Info/Xing header's frame count tells a file that holds less than it
// declares; the sound is still what decodes.
TEST(FmodEx, TheLengthTheHeaderStatesTellsACutFile)
{
    const std::string stereo = testsupport::readWholeFile(stereoSound());
    const std::string mono = testsupport::readWholeFile(monoSound());
    // A 30-byte ID3v2 tag in front: "ID3", version, flags, size 20 in 7-bit bytes.
    const std::string id3 = std::string("ID3\x03\x00\x00\x00\x00\x00\x14", 10) + std::string(20, '\0');
    auto withCount = [&](uint32_t frames) {
        std::string forged = mono;
        const size_t xing = forged.find("Xing");
        for (int i = 0; i < 4; ++i)
            forged[xing + 8 + static_cast<size_t>(i)] = static_cast<char>(frames >> (24 - 8 * i));
        return forged;
    };
    // The whole files state 1500 and 1200 ms with the encoder's delay and padding.
    const unsigned int stereoStated = 1541, monoStated = 1254;
    struct Case {
        const char* what;
        std::string bytes;
        unsigned int statedMs;
        bool cutShort;
    } const cases[] = {
        {"whole stereo", stereo, stereoStated, false},
        {"whole mono", mono, monoStated, false},
        {"whole, behind an ID3v2 tag", id3 + mono, monoStated, false},
        {"stereo cut in half", stereo.substr(0, stereo.size() / 2), stereoStated, true},
        {"mono cut in half, behind an ID3v2 tag", id3 + mono.substr(0, mono.size() / 2), monoStated, true},
        {"the last frame cut off", stereo.substr(0, stereo.size() - 300), stereoStated, false},
        {"no header", testsupport::silentMp3(1000), 0, false},
        {"a count of 0", withCount(0), 0, false},
        {"a count past any length", withCount(0xFFFFFFFFu), 0xFFFFFFFFu, true},
    };
    System system;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FMOD_SOUND* sound = nullptr;
        ASSERT_EQ(system.loadMemory(c.bytes, &sound), FMOD_OK);
        unsigned int statedMs = 1;
        bool cutShort = !c.cutShort;
        ASSERT_EQ(fmodex::getStatedLength(sound, &statedMs, &cutShort), FMOD_OK);
        EXPECT_NEAR(statedMs, c.statedMs, 2u);
        EXPECT_EQ(cutShort, c.cutShort);
        if (c.statedMs > 0 && c.statedMs < 0xFFFFFFFFu) {
            EXPECT_LT(lengthMs(sound), statedMs);
        }
        FMOD_Sound_Release(sound);
    }
    unsigned int ms = 0;
    bool cut = false;
    EXPECT_EQ(fmodex::getStatedLength(nullptr, &ms, &cut), FMOD_ERR_INVALID_HANDLE);
    FMOD_SOUND* sound = nullptr;
    ASSERT_EQ(system.loadMemory(mono, &sound), FMOD_OK);
    EXPECT_EQ(fmodex::getStatedLength(sound, nullptr, &cut), FMOD_ERR_INVALID_PARAM);
    EXPECT_EQ(fmodex::getStatedLength(sound, &ms, nullptr), FMOD_ERR_INVALID_PARAM);
}

TEST(FmodEx, MusicLongerThanTwentyMinutesIsRefused)
{
    System system;
    struct Case {
        const char* what;
        unsigned int ms;
        FMOD_RESULT expected;
    } const cases[] = {
        {"a second", 1000, FMOD_OK},
        {"19 minutes", 19 * 60000, FMOD_OK},
        {"21 minutes", 21 * 60000, FMOD_ERR_MEMORY},
    };
    for (const Case& c : cases) {
        FMOD_SOUND* sound = nullptr;
        EXPECT_EQ(system.loadMemory(testsupport::silentMp3(c.ms), &sound), c.expected) << c.what;
        if (sound) {
            EXPECT_NEAR(lengthMs(sound), c.ms, 80u) << c.what;
            FMOD_Sound_Release(sound);
        }
    }
}
