#include "engine/runtime/Prefetch.h"

#include "util/Archive.h"
#include "util/File.h"
#include "util/Image.h"

#include <algorithm>
#include <cstdlib>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace {

// Pictures decoded but not yet taken, at most: bounds the memory held ahead.
constexpr size_t kAhead = 6;
constexpr unsigned kPictureWorkers = 3;

bool readBytes(const std::string& path, int mode, std::vector<char>& bytes)
{
    if (mode == 1)
        return arc_take(path.c_str(), bytes);
    if (mode != 0)
        return false;
    File file(path, 0);
    if (!file.isOpen())
        return false;
    bytes = file.releaseData();
    return true;
}

class Pictures {
public:
    Pictures(const std::vector<Prefetch::Picture>& pictures, int mode) : mode(mode)
    {
        for (const Prefetch::Picture& picture : pictures)
            if (std::none_of(slots.begin(), slots.end(), [&](const Slot& s) { return s.path == picture.path; }))
                slots.push_back({picture.path, picture.mipmapLayers, false, nullptr});
        const unsigned count = std::min<unsigned>(kPictureWorkers, static_cast<unsigned>(slots.size()));
        for (unsigned i = 0; i < count; ++i)
            workers.emplace_back([this] { work(); });
    }
    ~Pictures()
    {
        {
            std::lock_guard<std::mutex> lock(mutex);
            stopping = true;
        }
        changed.notify_all();
        for (std::thread& worker : workers)
            worker.join();
    }
    Pictures(const Pictures&) = delete;
    Pictures& operator=(const Pictures&) = delete;

    Image* take(const std::string& path)
    {
        std::unique_lock<std::mutex> lock(mutex);
        auto found = std::find_if(slots.begin(), slots.end(), [&](const Slot& s) { return s.path == path; });
        if (found == slots.end())
            return nullptr;
        const size_t index = static_cast<size_t>(found - slots.begin());
        // The loader has come this far: workers may run ahead of it again.
        consumed = std::max(consumed, index + 1);
        changed.notify_all();
        changed.wait(lock, [&] { return slots[index].done; });
        return slots[index].image.release();
    }

private:
    struct Slot {
        std::string path;
        int mipmapLayers;
        bool done;
        std::unique_ptr<Image> image;
    };

    void work()
    {
        for (;;) {
            size_t index = 0;
            {
                std::unique_lock<std::mutex> lock(mutex);
                changed.wait(lock, [&] { return stopping || next >= slots.size() || next < consumed + kAhead; });
                if (stopping || next >= slots.size())
                    return;
                index = next++;
            }
            std::vector<char> bytes;
            Image* image = nullptr;
            if (readBytes(slots[index].path, mode, bytes))
                image = Image::fromPng(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
            if (image && slots[index].mipmapLayers > 0)
                image->buildMipmaps(slots[index].mipmapLayers);
            {
                std::lock_guard<std::mutex> lock(mutex);
                slots[index].image.reset(image);
                slots[index].done = true;
            }
            changed.notify_all();
        }
    }

    const int mode;
    // Fixed once the workers run; only done and image change, under the mutex.
    std::vector<Slot> slots;
    std::mutex mutex;
    std::condition_variable changed;
    size_t next = 0;
    size_t consumed = 0;
    bool stopping = false;
    std::vector<std::thread> workers;
};

class Music {
public:
    Music(const std::string& path, int mode) : path(path)
    {
        worker = std::thread([this, mode] {
            std::vector<char> bytes;
            if (!readBytes(this->path, mode, bytes))
                return;
            read = true;
            result = fmodex::decodeMp3(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), audio);
        });
    }
    ~Music() { join(); }
    Music(const Music&) = delete;
    Music& operator=(const Music&) = delete;

    void join()
    {
        if (worker.joinable())
            worker.join();
    }

    const std::string path;
    // Written by the worker before it ends, read after the join.
    bool read = false;
    FMOD_RESULT result = FMOD_ERR_FILE_BAD;
    fmodex::DecodedAudio audio;

private:
    std::thread worker;
};

std::unique_ptr<Pictures> pictures;
std::unique_ptr<Music> music;

// Workers still running at exit are stopped before any static object goes
// (the archive they may be reading from among them).
void stopAtExit()
{
    static std::once_flag once;
    std::call_once(once, [] { std::atexit(Prefetch::stop); });
}

}

namespace Prefetch {

void startPictures(const std::vector<Picture>& list, int mode)
{
    stopAtExit();
    pictures.reset();
    pictures = std::make_unique<Pictures>(list, mode);
}

Image* takePicture(const std::string& path)
{
    return pictures ? pictures->take(path) : nullptr;
}

void startMusic(const std::string& path, int mode)
{
    stopAtExit();
    music.reset();
    music = std::make_unique<Music>(path, mode);
}

bool takeMusic(const std::string& path, FMOD_RESULT& result, fmodex::DecodedAudio& audio)
{
    if (!music || music->path != path)
        return false;
    music->join();
    const bool read = music->read;
    result = music->result;
    audio = std::move(music->audio);
    music.reset();
    return read;
}

void stop()
{
    pictures.reset();
    music.reset();
}

}
