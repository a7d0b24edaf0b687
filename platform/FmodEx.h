#pragma once
// The FMOD Ex sound calls that the music clock makes, with their behaviour,
// implemented over libmpg123 (decoding), SDL2 audio (output) and kissfft
// (spectrum).
//
// A sound is an MP3 decoded whole when it is created, from a path or from
// memory. A channel plays one sound on its own SDL audio device; its play
// position advances as the device consumes samples, so it runs in real time.
// When no audio device can be opened (no sound card, no driver, or a driver
// that opens one device only), the channel is silent and its position
// follows the steady clock: it still runs in real time, pauses and seeks.
//
// All calls are made from one thread. A handle is valid from its creation
// until its release (sounds, systems) or until the system that made it is
// released (channels); a stopped channel stays valid but refuses every call.

#include <cstddef>
#include <cstdint>
#include <vector>

struct FMOD_SYSTEM;
struct FMOD_SOUND;
struct FMOD_CHANNEL;

enum FMOD_RESULT {
    FMOD_OK = 0,
    FMOD_ERR_INVALID_HANDLE = 1,  // null handle, or a stopped channel
    FMOD_ERR_INVALID_PARAM = 2,
    FMOD_ERR_UNINITIALIZED = 3,   // the system was not initialised
    FMOD_ERR_INITIALIZED = 4,     // the system is initialised already
    FMOD_ERR_FILE_NOTFOUND = 5,
    FMOD_ERR_FILE_BAD = 6,        // the file could not be read
    FMOD_ERR_FORMAT = 7,          // not decodable as MP3
    FMOD_ERR_CHANNEL_ALLOC = 8,   // all channels are playing
    FMOD_ERR_MEMORY = 9,
    FMOD_ERR_INVALID_POSITION = 10,  // a seek past the end of the sound
};

using FMOD_BOOL = int;
using FMOD_MODE = unsigned int;
using FMOD_TIMEUNIT = unsigned int;
using FMOD_INITFLAGS = unsigned int;
using FMOD_CHANNELINDEX = int;

// Sound modes. FMOD_SOFTWARE is accepted and changes nothing.
constexpr FMOD_MODE FMOD_SOFTWARE = 0x40;
// name_or_data points to exinfo->length bytes of MP3 data, copied at creation.
constexpr FMOD_MODE FMOD_OPENMEMORY = 0x800;

constexpr FMOD_TIMEUNIT FMOD_TIMEUNIT_MS = 1;
constexpr FMOD_CHANNELINDEX FMOD_CHANNEL_FREE = -2;

enum FMOD_DSP_FFT_WINDOW {
    FMOD_DSP_FFT_WINDOW_HAMMING = 2,
};

// Largest spectrum one call computes.
constexpr int FMOD_SPECTRUM_MAX = 8192;

// Version of this layer, as FMOD_System_GetVersion reports it.
constexpr unsigned int FMOD_VERSION = 0x00010000;

// Extra settings for FMOD_System_CreateSound: zero it, set cbsize to its size.
struct FMOD_CREATESOUNDEXINFO {
    int cbsize;
    unsigned int length;  // byte count of the data with FMOD_OPENMEMORY
    unsigned char unused[116];
};
static_assert(sizeof(FMOD_CREATESOUNDEXINFO) == 124, "the record is 124 bytes");

FMOD_RESULT FMOD_System_Create(FMOD_SYSTEM** system);
FMOD_RESULT FMOD_System_GetVersion(FMOD_SYSTEM* system, unsigned int* version);
// Starts SDL audio; without it every channel is silent. extradriverdata and
// the flags are ignored.
FMOD_RESULT FMOD_System_Init(FMOD_SYSTEM* system, int maxChannels, FMOD_INITFLAGS flags,
                             void* extradriverdata);
FMOD_RESULT FMOD_System_Update(FMOD_SYSTEM* system);
// Stops every channel and releases every sound of the system, then the system.
FMOD_RESULT FMOD_System_Release(FMOD_SYSTEM* system);

// Decodes the whole MP3, at most 20 minutes of it (longer music fails with
// FMOD_ERR_MEMORY). On failure *sound is null.
FMOD_RESULT FMOD_System_CreateSound(FMOD_SYSTEM* system, const char* name_or_data, FMOD_MODE mode,
                                    FMOD_CREATESOUNDEXINFO* exinfo, FMOD_SOUND** sound);
// Only FMOD_CHANNEL_FREE is accepted as channel index.
FMOD_RESULT FMOD_System_PlaySound(FMOD_SYSTEM* system, FMOD_CHANNELINDEX channelid,
                                  FMOD_SOUND* sound, FMOD_BOOL paused, FMOD_CHANNEL** channel);

FMOD_RESULT FMOD_Sound_GetLength(FMOD_SOUND* sound, unsigned int* length, FMOD_TIMEUNIT lengthtype);
// Stops the channels that play the sound first.
FMOD_RESULT FMOD_Sound_Release(FMOD_SOUND* sound);

FMOD_RESULT FMOD_Channel_SetPaused(FMOD_CHANNEL* channel, FMOD_BOOL paused);
// isplaying may be null. A channel plays (paused or not) until its sound ends.
FMOD_RESULT FMOD_Channel_IsPlaying(FMOD_CHANNEL* channel, FMOD_BOOL* isplaying);
FMOD_RESULT FMOD_Channel_GetPosition(FMOD_CHANNEL* channel, unsigned int* position,
                                     FMOD_TIMEUNIT postype);
// 0 to the sound's length in ms; a position past its end is
// FMOD_ERR_INVALID_POSITION and leaves the channel where it was.
FMOD_RESULT FMOD_Channel_SetPosition(FMOD_CHANNEL* channel, unsigned int position,
                                     FMOD_TIMEUNIT postype);
// Magnitudes of numvalues frequency bands (0 to half the sample rate) of one
// channel of the sound (channeloffset 0 = left, 1 = right), over the
// 2 * numvalues samples that start at the play position. A full-scale sine
// gives about 1 in its band. numvalues is 1 to FMOD_SPECTRUM_MAX.
FMOD_RESULT FMOD_Channel_GetSpectrum(FMOD_CHANNEL* channel, float* spectrumarray, int numvalues,
                                     int channeloffset, FMOD_DSP_FFT_WINDOW windowtype);
// Closes the channel's output; the channel refuses every later call.
FMOD_RESULT FMOD_Channel_Stop(FMOD_CHANNEL* channel);

// The decoder behind FMOD_System_CreateSound, for tools that check their MP3s
// the way the engine reads them.
namespace fmodex {

struct DecodedAudio {
    std::vector<int16_t> samples;  // interleaved, host byte order
    int channels = 0;              // 1 or 2
    long rate = 0;
    uint64_t frames = 0;
    // Sample frames the stream's Info/Xing header declares (its MPEG frame
    // count times the samples of a frame); 0 when it declares none.
    uint64_t statedFrames = 0;
};

// Decodes all of size bytes of MP3 (past an ID3v2 tag), at most 20 minutes of
// it: FMOD_ERR_FORMAT when no audio comes out, FMOD_ERR_MEMORY when it would
// run past the bound. out holds the sound only when FMOD_OK is returned.
FMOD_RESULT decodeMp3(const unsigned char* data, size_t size, DecodedAudio& out);
// Reads the file whole, then decodes it as decodeMp3 does; FMOD_ERR_FILE_NOTFOUND
// or FMOD_ERR_FILE_BAD when it cannot be read.
FMOD_RESULT decodeMp3File(const char* path, DecodedAudio& out);

// The length in ms that the sound's Info/Xing header declares (0 without
// one), and whether the file holds less of it than that: more missing than
// the encoder's delay and padding, a few MPEG frames.
FMOD_RESULT getStatedLength(FMOD_SOUND* sound, unsigned int* statedMs, bool* cutShort);

}  // namespace fmodex
