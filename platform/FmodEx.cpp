#include "platform/FmodEx.h"

#include <SDL2/SDL.h>
#include <dlfcn.h>
#include <kiss_fftr.h>
#include <mpg123.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <vector>

struct FMOD_SOUND : fmodex::DecodedAudio {
    FMOD_SYSTEM* system = nullptr;
};

struct FMOD_CHANNEL {
    ~FMOD_CHANNEL() { kiss_fftr_free(fft); }

    // Null once the channel is stopped.
    const FMOD_SOUND* sound = nullptr;
    bool paused = true;
    // 0: no device could be opened; the channel is silent and its position
    // follows the steady clock.
    SDL_AudioDeviceID device = 0;
    // Next frame the device takes. The audio thread advances it; seeks store
    // it with the device locked so that no callback overwrites them.
    std::atomic<uint64_t> frame{0};
    // Silent channel: the frame at silentSince, from where it runs while not paused.
    uint64_t silentFrame = 0;
    std::chrono::steady_clock::time_point silentSince;

    // Spectrum scratch, kept between calls of the same size.
    int fftSize = 0;
    kiss_fftr_cfg fft = nullptr;
    float windowSum = 0.0f;
    std::vector<float> window;
    std::vector<float> input;
    std::vector<kiss_fft_cpx> bins;
};

struct FMOD_SYSTEM {
    bool initialised = false;
    bool sdlAudio = false;  // SDL's audio subsystem is up for this system
    int maxChannels = 0;
    std::vector<std::unique_ptr<FMOD_SOUND>> sounds;
    std::vector<std::unique_ptr<FMOD_CHANNEL>> channels;
};

namespace {

// --- MP3 decoding ------------------------------------------------------------

struct MemoryReader {
    const unsigned char* data;
    size_t size;
    size_t position;
};

mpg123_ssize_t readMemory(void* handle, void* buffer, size_t count)
{
    auto* reader = static_cast<MemoryReader*>(handle);
    size_t n = std::min(count, reader->size - reader->position);
    std::memcpy(buffer, reader->data + reader->position, n);
    reader->position += n;
    return static_cast<mpg123_ssize_t>(n);
}

off_t seekMemory(void* handle, off_t offset, int whence)
{
    auto* reader = static_cast<MemoryReader*>(handle);
    off_t base = 0;
    if (whence == SEEK_CUR)
        base = static_cast<off_t>(reader->position);
    else if (whence == SEEK_END)
        base = static_cast<off_t>(reader->size);
    else if (whence != SEEK_SET)
        return -1;
    off_t target = base + offset;
    if (target < 0 || target > static_cast<off_t>(reader->size))
        return -1;
    reader->position = static_cast<size_t>(target);
    return target;
}

struct HandleDeleter {
    void operator()(mpg123_handle* h) const { mpg123_delete(h); }
};

// Longest music a sound may decode to: 20 minutes (at 48 kHz stereo 16-bit, 220 MiB).
const unsigned maxDecodedSeconds = 20 * 60;

FMOD_RESULT readWholeFile(const char* path, std::vector<unsigned char>& bytes)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return FMOD_ERR_FILE_NOTFOUND;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return FMOD_ERR_FILE_NOTFOUND;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad())
        return FMOD_ERR_FILE_BAD;
    return FMOD_OK;
}

uint32_t bigEndian32(const unsigned char* p)
{
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | static_cast<uint32_t>(p[3]);
}

// Sample frames that the Info/Xing frame opening the stream (past an ID3v2
// tag) declares; 0 when there is none or it holds no frame count.
uint64_t statedSampleFrames(const unsigned char* data, size_t size)
{
    size_t at = 0;
    if (size >= 10 && std::memcmp(data, "ID3", 3) == 0) {
        const unsigned char* n = data + 6;  // the tag's size, 7 bits a byte
        if ((n[0] | n[1] | n[2] | n[3]) & 0x80)
            return 0;
        at = 10 + (static_cast<size_t>(n[0]) << 21 | static_cast<size_t>(n[1]) << 14 |
                   static_cast<size_t>(n[2]) << 7 | static_cast<size_t>(n[3]));
        if (data[5] & 0x10)
            at += 10;  // a footer follows the tag
    }
    if (at >= size || size - at < 4)
        return 0;
    const unsigned char* header = data + at;
    const int version = (header[1] >> 3) & 3;  // 3 MPEG 1, 2 MPEG 2, 0 MPEG 2.5
    const int layer = (header[1] >> 1) & 3;    // 1 layer III
    if (header[0] != 0xFF || (header[1] & 0xE0) != 0xE0 || version == 1 || layer != 1)
        return 0;
    const bool mono = (header[3] >> 6) == 3;
    const size_t sideInfo = version == 3 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    const size_t checkSum = (header[1] & 1) ? 0 : 2;
    const size_t tag = at + 4 + checkSum + sideInfo;
    if (tag >= size || size - tag < 12)
        return 0;
    if (std::memcmp(data + tag, "Xing", 4) != 0 && std::memcmp(data + tag, "Info", 4) != 0)
        return 0;
    if ((bigEndian32(data + tag + 4) & 1) == 0)
        return 0;
    const uint64_t frameSamples = version == 3 ? 1152 : 576;
    return bigEndian32(data + tag + 8) * frameSamples;
}

// --- Channels ----------------------------------------------------------------

void SDLCALL fillChannel(void* user, Uint8* stream, int len)
{
    auto* channel = static_cast<FMOD_CHANNEL*>(user);
    const FMOD_SOUND* sound = channel->sound;
    const size_t frameBytes = sizeof(int16_t) * static_cast<size_t>(sound->channels);
    const uint64_t wanted = static_cast<uint64_t>(len) / frameBytes;
    const uint64_t position = channel->frame.load(std::memory_order_relaxed);
    const uint64_t n = position < sound->frames ? std::min(wanted, sound->frames - position) : 0;
    const size_t bytes = static_cast<size_t>(n) * frameBytes;
    if (bytes > 0)
        std::memcpy(stream, sound->samples.data() + position * sound->channels, bytes);
    std::memset(stream + bytes, 0, static_cast<size_t>(len) - bytes);
    channel->frame.store(position + n, std::memory_order_relaxed);
}

bool live(const FMOD_CHANNEL* channel)
{
    return channel && channel->sound;
}

uint64_t currentFrame(const FMOD_CHANNEL& channel)
{
    if (channel.device != 0)
        return channel.frame.load();
    uint64_t frame = channel.silentFrame;
    if (!channel.paused) {
        auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() -
                                                                       channel.silentSince);
        const uint64_t elapsed = static_cast<uint64_t>(ns.count());
        const uint64_t rate = static_cast<uint64_t>(channel.sound->rate);
        frame += elapsed / 1000000000u * rate + elapsed % 1000000000u * rate / 1000000000u;
    }
    return std::min(frame, channel.sound->frames);
}

void stopChannel(FMOD_CHANNEL& channel)
{
    if (channel.device != 0)
        SDL_CloseAudioDevice(channel.device);  // waits for a running callback
    channel.device = 0;
    channel.sound = nullptr;
}

bool prepareSpectrum(FMOD_CHANNEL& channel, int size)
{
    if (channel.fftSize == size)
        return true;
    kiss_fftr_free(channel.fft);
    channel.fftSize = 0;
    channel.fft = kiss_fftr_alloc(size, 0, nullptr, nullptr);
    if (!channel.fft)
        return false;
    channel.window.resize(static_cast<size_t>(size));
    channel.input.resize(static_cast<size_t>(size));
    channel.bins.resize(static_cast<size_t>(size / 2 + 1));
    const double pi = 3.14159265358979323846;
    double sum = 0.0;
    for (int i = 0; i < size; ++i) {
        double w = 0.54 - 0.46 * std::cos(2.0 * pi * i / (size - 1));  // Hamming
        channel.window[static_cast<size_t>(i)] = static_cast<float>(w);
        sum += w;
    }
    channel.windowSum = static_cast<float>(sum);
    channel.fftSize = size;
    return true;
}

uint64_t framesToMs(uint64_t frames, long rate)
{
    return frames * 1000u / static_cast<uint64_t>(rate);
}

}

// --- Decoder -----------------------------------------------------------------

FMOD_RESULT fmodex::decodeMp3(const unsigned char* data, size_t size, DecodedAudio& sound)
{
    sound = DecodedAudio();
    if (size == 0)
        return FMOD_ERR_FORMAT;
    static std::once_flag initOnce;
    std::call_once(initOnce, [] { mpg123_init(); });

    int err = MPG123_OK;
    std::unique_ptr<mpg123_handle, HandleDeleter> handle(mpg123_new(nullptr, &err));
    mpg123_handle* mh = handle.get();
    if (!mh)
        return FMOD_ERR_FORMAT;
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS | MPG123_SKIP_ID3V2, 0.0);
    mpg123_format_none(mh);
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
        mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);

    MemoryReader reader{data, size, 0};
    if (mpg123_replace_reader_handle(mh, readMemory, seekMemory, nullptr) != MPG123_OK ||
        mpg123_open_handle(mh, &reader) != MPG123_OK)
        return FMOD_ERR_FORMAT;
    long rate = 0;
    int channels = 0;
    int encoding = 0;
    if (mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 ||
        channels < 1 || channels > 2)
        return FMOD_ERR_FORMAT;
    // Keep the first format to the end; later frames are converted to it.
    mpg123_format_none(mh);
    mpg123_format(mh, rate, channels, MPG123_ENC_SIGNED_16);

    // The length a file states about itself is not trusted: the buffer grows
    // with what really decodes, up to the bound.
    std::vector<int16_t>& samples = sound.samples;
    const uint64_t maxSamples = static_cast<uint64_t>(maxDecodedSeconds) * static_cast<uint64_t>(rate) *
                                static_cast<uint64_t>(channels);
    const size_t chunk = 16384;
    // Room for the length the stream states, so that the buffer seldom moves;
    // no more than the bytes could hold (an MP3 frame carries at most 48
    // samples per byte), whatever a header claims.
    const off_t stated = mpg123_length(mh);
    if (stated > 0) {
        const uint64_t expected = static_cast<uint64_t>(stated) * static_cast<uint64_t>(channels);
        const uint64_t bound = std::min(maxSamples, static_cast<uint64_t>(size) * 48);
        samples.reserve(static_cast<size_t>(std::min(expected, bound) + chunk));
    }
    int idleReads = 0;
    for (;;) {
        size_t used = samples.size();
        samples.resize(used + chunk);
        size_t done = 0;
        int result = mpg123_read(mh, samples.data() + used, chunk * sizeof(int16_t), &done);
        samples.resize(used + done / sizeof(int16_t));
        if (samples.size() > maxSamples)
            return FMOD_ERR_MEMORY;
        if (result == MPG123_DONE)
            break;
        if (result != MPG123_OK && result != MPG123_NEW_FORMAT)
            return FMOD_ERR_FORMAT;
        idleReads = done == 0 ? idleReads + 1 : 0;
        if (idleReads > 8)
            break;
    }
    sound.channels = channels;
    sound.rate = rate;
    sound.frames = samples.size() / static_cast<size_t>(channels);
    sound.statedFrames = statedSampleFrames(data, size);
    samples.resize(sound.frames * static_cast<size_t>(channels));
    // A copy of the whole sound only when much of its buffer would lie idle.
    if (samples.capacity() - samples.size() > samples.size() / 16)
        samples.shrink_to_fit();
    return sound.frames > 0 ? FMOD_OK : FMOD_ERR_FORMAT;
}

FMOD_RESULT fmodex::decodeMp3File(const char* path, DecodedAudio& out)
{
    std::vector<unsigned char> bytes;
    FMOD_RESULT r = readWholeFile(path, bytes);
    if (r != FMOD_OK)
        return r;
    return decodeMp3(bytes.data(), bytes.size(), out);
}

FMOD_RESULT fmodex::getStatedLength(FMOD_SOUND* sound, unsigned int* statedMs, bool* cutShort)
{
    if (!sound)
        return FMOD_ERR_INVALID_HANDLE;
    if (!statedMs || !cutShort)
        return FMOD_ERR_INVALID_PARAM;
    *statedMs = static_cast<unsigned int>(std::min<uint64_t>(framesToMs(sound->statedFrames, sound->rate), UINT_MAX));
    // The header counts whole MPEG frames; the decoder drops the encoder's
    // delay and padding, less than three of them.
    const uint64_t frameSamples = sound->rate >= 32000 ? 1152 : 576;
    *cutShort = sound->statedFrames > sound->frames + 3 * frameSamples;
    return FMOD_OK;
}

// --- System ------------------------------------------------------------------

FMOD_RESULT FMOD_System_Create(FMOD_SYSTEM** system)
{
    if (!system)
        return FMOD_ERR_INVALID_PARAM;
    *system = new FMOD_SYSTEM();
    return FMOD_OK;
}

FMOD_RESULT FMOD_System_GetVersion(FMOD_SYSTEM* system, unsigned int* version)
{
    if (!system)
        return FMOD_ERR_INVALID_HANDLE;
    if (!version)
        return FMOD_ERR_INVALID_PARAM;
    *version = FMOD_VERSION;
    return FMOD_OK;
}

namespace {

extern "C" void ignoreAlsaMessage(const char*, int, const char*, int, const char*, ...) {}

// ALSA prints every failed step of its device probing (no card, no "default"
// PCM) on stderr. SDL loads libasound itself; the handler set here is the one
// that library uses, so the show's output holds its own lines only.
void silenceAlsa()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    // Kept open for the life of the process, so that the handler stays set.
    void* alsa = dlopen("libasound.so.2", RTLD_LAZY);
    if (!alsa)
        return;
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    using SetHandler = int (*)(Handler);
    if (auto set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler")))
        set(ignoreAlsaMessage);
}

}

FMOD_RESULT FMOD_System_Init(FMOD_SYSTEM* system, int maxChannels, FMOD_INITFLAGS, void*)
{
    if (!system)
        return FMOD_ERR_INVALID_HANDLE;
    if (system->initialised)
        return FMOD_ERR_INITIALIZED;
    if (maxChannels < 1)
        return FMOD_ERR_INVALID_PARAM;
    silenceAlsa();
    // SIGINT and SIGTERM are the program's: SDL would turn them into events nobody reads.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // Without SDL audio every channel is silent.
    system->sdlAudio = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    system->initialised = true;
    system->maxChannels = maxChannels;
    return FMOD_OK;
}

FMOD_RESULT FMOD_System_Update(FMOD_SYSTEM* system)
{
    if (!system)
        return FMOD_ERR_INVALID_HANDLE;
    // Mixing runs on the audio thread; nothing is left to do here.
    return system->initialised ? FMOD_OK : FMOD_ERR_UNINITIALIZED;
}

FMOD_RESULT FMOD_System_Release(FMOD_SYSTEM* system)
{
    if (!system)
        return FMOD_ERR_INVALID_HANDLE;
    for (auto& channel : system->channels)
        stopChannel(*channel);
    system->channels.clear();
    system->sounds.clear();
    if (system->sdlAudio)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    delete system;
    return FMOD_OK;
}

FMOD_RESULT FMOD_System_CreateSound(FMOD_SYSTEM* system, const char* name_or_data, FMOD_MODE mode,
                                    FMOD_CREATESOUNDEXINFO* exinfo, FMOD_SOUND** sound)
{
    if (sound)
        *sound = nullptr;
    if (!system)
        return FMOD_ERR_INVALID_HANDLE;
    if (!system->initialised)
        return FMOD_ERR_UNINITIALIZED;
    if (!sound || (mode & ~(FMOD_SOFTWARE | FMOD_OPENMEMORY)) != 0)
        return FMOD_ERR_INVALID_PARAM;

    auto decoded = std::make_unique<FMOD_SOUND>();
    FMOD_RESULT decodedResult = FMOD_OK;
    if (mode & FMOD_OPENMEMORY) {
        if (!exinfo || exinfo->cbsize < static_cast<int>(2 * sizeof(int)))
            return FMOD_ERR_INVALID_PARAM;
        if (exinfo->length == 0)
            return FMOD_ERR_FORMAT;
        if (!name_or_data)
            return FMOD_ERR_INVALID_PARAM;
        decodedResult = fmodex::decodeMp3(reinterpret_cast<const unsigned char*>(name_or_data),
                                          exinfo->length, *decoded);
    } else {
        if (!name_or_data)
            return FMOD_ERR_INVALID_PARAM;
        decodedResult = fmodex::decodeMp3File(name_or_data, *decoded);
    }
    if (decodedResult != FMOD_OK)
        return decodedResult;
    decoded->system = system;
    *sound = decoded.get();
    system->sounds.push_back(std::move(decoded));
    return FMOD_OK;
}

FMOD_RESULT FMOD_System_PlaySound(FMOD_SYSTEM* system, FMOD_CHANNELINDEX channelid,
                                  FMOD_SOUND* sound, FMOD_BOOL paused, FMOD_CHANNEL** channel)
{
    if (channel)
        *channel = nullptr;
    if (!system || !sound)
        return FMOD_ERR_INVALID_HANDLE;
    if (!system->initialised)
        return FMOD_ERR_UNINITIALIZED;
    if (!channel || channelid != FMOD_CHANNEL_FREE || sound->system != system)
        return FMOD_ERR_INVALID_PARAM;
    auto playing = std::count_if(system->channels.begin(), system->channels.end(),
                                 [](const auto& c) { return live(c.get()); });
    if (playing >= system->maxChannels)
        return FMOD_ERR_CHANNEL_ALLOC;

    auto made = std::make_unique<FMOD_CHANNEL>();
    made->sound = sound;
    if (system->sdlAudio) {
        SDL_AudioSpec want{};
        want.freq = static_cast<int>(sound->rate);
        want.format = AUDIO_S16SYS;
        want.channels = static_cast<Uint8>(sound->channels);
        want.samples = 1024;
        want.callback = fillChannel;
        want.userdata = made.get();
        // No changes allowed: SDL converts to whatever the device takes.
        made->device = SDL_OpenAudioDevice(nullptr, 0, &want, nullptr, 0);
    }
    *channel = made.get();
    FMOD_Channel_SetPaused(made.get(), paused);
    system->channels.push_back(std::move(made));
    return FMOD_OK;
}

// --- Sound -------------------------------------------------------------------

FMOD_RESULT FMOD_Sound_GetLength(FMOD_SOUND* sound, unsigned int* length, FMOD_TIMEUNIT lengthtype)
{
    if (!sound)
        return FMOD_ERR_INVALID_HANDLE;
    if (!length || lengthtype != FMOD_TIMEUNIT_MS)
        return FMOD_ERR_INVALID_PARAM;
    *length = static_cast<unsigned int>(framesToMs(sound->frames, sound->rate));
    return FMOD_OK;
}

FMOD_RESULT FMOD_Sound_Release(FMOD_SOUND* sound)
{
    if (!sound)
        return FMOD_ERR_INVALID_HANDLE;
    FMOD_SYSTEM* system = sound->system;
    for (auto& channel : system->channels)
        if (channel->sound == sound)
            stopChannel(*channel);
    auto& sounds = system->sounds;
    sounds.erase(std::remove_if(sounds.begin(), sounds.end(),
                                [sound](const auto& s) { return s.get() == sound; }),
                 sounds.end());
    return FMOD_OK;
}

// --- Channel -----------------------------------------------------------------

FMOD_RESULT FMOD_Channel_SetPaused(FMOD_CHANNEL* channel, FMOD_BOOL paused)
{
    if (!live(channel))
        return FMOD_ERR_INVALID_HANDLE;
    bool pause = paused != 0;
    if (channel->device != 0) {
        SDL_PauseAudioDevice(channel->device, pause ? 1 : 0);
    } else if (pause != channel->paused) {
        channel->silentFrame = currentFrame(*channel);
        channel->silentSince = std::chrono::steady_clock::now();
    }
    channel->paused = pause;
    return FMOD_OK;
}

FMOD_RESULT FMOD_Channel_IsPlaying(FMOD_CHANNEL* channel, FMOD_BOOL* isplaying)
{
    if (!live(channel))
        return FMOD_ERR_INVALID_HANDLE;
    if (isplaying)
        *isplaying = currentFrame(*channel) < channel->sound->frames ? 1 : 0;
    return FMOD_OK;
}

FMOD_RESULT FMOD_Channel_GetPosition(FMOD_CHANNEL* channel, unsigned int* position,
                                     FMOD_TIMEUNIT postype)
{
    if (!live(channel))
        return FMOD_ERR_INVALID_HANDLE;
    if (!position || postype != FMOD_TIMEUNIT_MS)
        return FMOD_ERR_INVALID_PARAM;
    *position = static_cast<unsigned int>(framesToMs(currentFrame(*channel), channel->sound->rate));
    return FMOD_OK;
}

FMOD_RESULT FMOD_Channel_SetPosition(FMOD_CHANNEL* channel, unsigned int position,
                                     FMOD_TIMEUNIT postype)
{
    if (!live(channel))
        return FMOD_ERR_INVALID_HANDLE;
    if (postype != FMOD_TIMEUNIT_MS)
        return FMOD_ERR_INVALID_PARAM;
    const FMOD_SOUND* sound = channel->sound;
    if (position > framesToMs(sound->frames, sound->rate))
        return FMOD_ERR_INVALID_POSITION;
    // Rounded up, so that reading the position back gives the same
    // milliseconds; the sound's length in ms rounds up to at most its end.
    uint64_t frame = (static_cast<uint64_t>(position) * static_cast<uint64_t>(sound->rate) + 999u) / 1000u;
    frame = std::min(frame, sound->frames);
    if (channel->device != 0) {
        SDL_LockAudioDevice(channel->device);
        channel->frame.store(frame);
        SDL_UnlockAudioDevice(channel->device);
    } else {
        channel->silentFrame = frame;
        channel->silentSince = std::chrono::steady_clock::now();
    }
    return FMOD_OK;
}

FMOD_RESULT FMOD_Channel_GetSpectrum(FMOD_CHANNEL* channel, float* spectrumarray, int numvalues,
                                     int channeloffset, FMOD_DSP_FFT_WINDOW windowtype)
{
    if (!live(channel))
        return FMOD_ERR_INVALID_HANDLE;
    const FMOD_SOUND* sound = channel->sound;
    if (!spectrumarray || numvalues < 1 || numvalues > FMOD_SPECTRUM_MAX || channeloffset < 0 ||
        channeloffset >= sound->channels || windowtype != FMOD_DSP_FFT_WINDOW_HAMMING)
        return FMOD_ERR_INVALID_PARAM;
    const int size = 2 * numvalues;
    if (!prepareSpectrum(*channel, size))
        return FMOD_ERR_MEMORY;

    const uint64_t start = currentFrame(*channel);
    const int16_t* samples = sound->samples.data();
    for (int i = 0; i < size; ++i) {
        uint64_t f = start + static_cast<uint64_t>(i);
        float s = f < sound->frames ? samples[f * sound->channels + channeloffset] / 32768.0f : 0.0f;
        channel->input[static_cast<size_t>(i)] = s * channel->window[static_cast<size_t>(i)];
    }
    kiss_fftr(channel->fft, channel->input.data(), channel->bins.data());
    const float scale = 2.0f / channel->windowSum;
    for (int k = 0; k < numvalues; ++k) {
        const kiss_fft_cpx& b = channel->bins[static_cast<size_t>(k)];
        spectrumarray[k] = std::sqrt(b.r * b.r + b.i * b.i) * scale;
    }
    return FMOD_OK;
}

FMOD_RESULT FMOD_Channel_Stop(FMOD_CHANNEL* channel)
{
    if (!live(channel))
        return FMOD_ERR_INVALID_HANDLE;
    stopChannel(*channel);
    return FMOD_OK;
}
