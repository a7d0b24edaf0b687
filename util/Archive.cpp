#include "util/Archive.h"

#include "util/ArchiveHeader.h"
#include "util/File.h"
#include "util/Image.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

struct Member {
    std::string name;
    int size;     // -1 when the member cannot be extracted (folder, unknown or huge size)
};

struct Reader {
    archive* a;
    Reader() : a(archive_read_new()) { archive_read_support_format_7zip(a); }
    ~Reader() { archive_read_free(a); }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;
    bool open(const std::string& path) { return archive_read_open_filename(a, path.c_str(), 64 * 1024) == ARCHIVE_OK; }
    std::string error() const
    {
        const char* text = archive_error_string(a);
        return text && *text ? text : "unknown error";
    }
};

std::string entryName(archive_entry* entry)
{
    const char* name = archive_entry_pathname_utf8(entry);
    if (!name)
        name = archive_entry_pathname(entry);
    return name ? name : "";
}

int entrySize(archive_entry* entry)
{
    if (archive_entry_filetype(entry) != AE_IFREG || !archive_entry_size_is_set(entry))
        return -1;
    la_int64_t size = archive_entry_size(entry);
    if (size < 0 || size > INT_MAX)
        return -1;
    return static_cast<int>(size);
}

// Reads the rest of the current member (size bytes, as listed) into out and
// past its end, where the check sum is tested; empty on success, else why not.
// out grows with the data as it arrives, so a member whose listed size is
// forged costs no more memory than the data behind it.
std::string readMember(Reader& reader, std::vector<char>& out, int size, const std::atomic<bool>* stop)
{
    constexpr int kBlock = 1 << 20;
    out.clear();
    out.reserve(static_cast<size_t>(std::min(size, 64 * kBlock)));
    int got = 0;
    while (got < size) {
        if (stop && stop->load())
            return "stopped";
        const int want = std::min(size - got, kBlock);
        out.resize(static_cast<size_t>(got + want));
        la_ssize_t r = archive_read_data(reader.a, out.data() + got, static_cast<size_t>(want));
        if (r <= 0)
            return r < 0 ? reader.error() : "data cut short";
        got += static_cast<int>(r);
        out.resize(static_cast<size_t>(got));
    }
    // A corrupt member reports it only here, after its bytes were delivered.
    unsigned char extra;
    la_ssize_t tail = archive_read_data(reader.a, &extra, 1);
    if (tail != 0)
        return tail < 0 ? reader.error() : "more data than listed";
    return "";
}

// What the one pass over the archive made of a member; "alone": asked for
// before the pass came to it, and large, so read by the asker while the pass
// goes on with the others.
enum class Decoded { pending, ready, taken, failed, alone };

// Members at least this large are read alone when asked for ahead of the pass:
// their decoding then runs beside the pass instead of after all before them.
constexpr int kAloneBytes = 1 << 20;

// One pass over the whole archive on a thread of its own, decoding every member
// in the order they are stored, so that each is read once however many are
// asked for and in whatever order. A member it could not read, and every one
// after it, is left to a reader of its own (extractAlone), as is a large member
// asked for early.
class Pass {
public:
    Pass(std::string path, const std::vector<Member>& members)
        : path(std::move(path)), members(members), bytes(members.size()), states(members.size(), Decoded::pending)
    {
        worker = std::thread([this] { run(); });
    }
    ~Pass()
    {
        stop = true;
        worker.join();
    }
    Pass(const Pass&) = delete;
    Pass& operator=(const Pass&) = delete;

    // Waits for the member; false when the pass did not deliver it. With take the
    // bytes move out and a later call reads the member alone.
    bool get(int index, std::vector<char>& out, bool take)
    {
        std::unique_lock<std::mutex> lock(mutex);
        const size_t i = static_cast<size_t>(index);
        if (states[i] == Decoded::pending && static_cast<int>(i) > started && members[i].size >= kAloneBytes) {
            states[i] = Decoded::alone;
            return false;
        }
        changed.wait(lock, [&] { return states[i] != Decoded::pending; });
        if (states[i] != Decoded::ready)
            return false;
        if (take) {
            out = std::move(bytes[i]);
            bytes[i] = std::vector<char>();
            states[i] = Decoded::taken;
        } else {
            out = bytes[i];
        }
        return true;
    }

private:
    void run()
    {
        Reader reader;
        size_t next = 0;
        if (reader.open(path)) {
            archive_entry* entry = nullptr;
            for (; next < members.size() && !stop; ++next) {
                if (archive_read_next_header(reader.a, &entry) < ARCHIVE_WARN)
                    break;
                const Member& m = members[next];
                // The archive file may have changed since it was listed.
                if (entryName(entry) != m.name || entrySize(entry) != m.size)
                    break;
                {
                    std::lock_guard<std::mutex> lock(mutex);
                    started = static_cast<int>(next);
                    if (states[next] == Decoded::alone)
                        continue;
                }
                std::vector<char> data;
                if (m.size > 0 && !readMember(reader, data, m.size, &stop).empty())
                    break;
                std::lock_guard<std::mutex> lock(mutex);
                bytes[next] = std::move(data);
                states[next] = m.size >= 0 ? Decoded::ready : Decoded::failed;
                changed.notify_all();
            }
        }
        std::lock_guard<std::mutex> lock(mutex);
        for (; next < members.size(); ++next)
            states[next] = Decoded::failed;
        changed.notify_all();
    }

    const std::string path;
    const std::vector<Member> members;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::vector<char>> bytes;
    std::vector<Decoded> states;
    // The member the pass reads (or last read); -1 before the first.
    int started = -1;
    std::atomic<bool> stop{false};
    std::thread worker;
};

struct ArchiveState {
    bool open = false;
    std::string path;
    std::vector<Member> members;
    int lastSize = -1;
    std::string problem;  // why the archive or one of its members could not be read
    std::unique_ptr<Pass> pass;
};

ArchiveState state;
// Guards state's problem and lastSize; the rest changes only in arc_open and
// arc_close, which no other call may overlap.
std::mutex stateMutex;

// Why a file cannot be an archive before the decoder looks at it; empty when it may be one.
std::string fileProblem(const char* path)
{
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status))
        return "file not found";
    if (!std::filesystem::is_regular_file(status))
        return "not a file";
    if (std::filesystem::file_size(path, ec) == 0 && !ec)
        return "file is empty";
    return "";
}

// Index of the first extractable member of that name, or -1.
int indexOf(const char* name)
{
    if (!name)
        return -1;
    for (size_t i = 0; i < state.members.size(); ++i) {
        const Member& m = state.members[i];
        if (m.size >= 0 && m.name == name)
            return static_cast<int>(i);
    }
    return -1;
}

// The first member that cannot be read is the one remembered.
void noteDamage(const char* name, const std::string& why)
{
    std::lock_guard<std::mutex> lock(stateMutex);
    if (state.problem.empty())
        state.problem = "member '" + std::string(name) + "' cannot be read (" + why + ")";
}

// Reads member index with a reader of its own, from the start of the archive.
bool extractAlone(int index, std::vector<char>& out)
{
    const Member& m = state.members[static_cast<size_t>(index)];
    const char* name = m.name.c_str();
    Reader reader;
    if (!reader.open(state.path)) {
        noteDamage(name, reader.error());
        return false;
    }
    archive_entry* entry = nullptr;
    for (int i = 0; i <= index; ++i) {
        if (archive_read_next_header(reader.a, &entry) < ARCHIVE_WARN) {
            noteDamage(name, reader.error());
            return false;
        }
    }
    if (entryName(entry) != m.name || entrySize(entry) != m.size) {
        noteDamage(name, "the archive changed");
        return false;
    }
    const std::string why = readMember(reader, out, m.size, nullptr);
    if (!why.empty()) {
        noteDamage(name, why);
        return false;
    }
    return true;
}

// The member's bytes, from the pass or read alone; false when it is unknown or unreadable.
bool memberBytes(const char* name, std::vector<char>& out, bool take)
{
    const int index = indexOf(name);
    if (index < 0 || !state.open)
        return false;
    if (state.pass && state.pass->get(index, out, take))
        return true;
    if (!extractAlone(index, out)) {
        out.clear();
        return false;
    }
    return true;
}

}

int arc_open(const char* archiveName)
{
    arc_close();
    state.problem.clear();
    if (!archiveName)
        return 1;
    state.problem = fileProblem(archiveName);
    if (!state.problem.empty())
        return 1;
    const std::string list = archiveListProblem(archiveName);
    if (!list.empty()) {
        state.problem = "not a readable 7z archive (" + list + ")";
        return 1;
    }
    Reader reader;
    if (!reader.open(archiveName)) {
        state.problem = "not a readable 7z archive (" + reader.error() + ")";
        return 1;
    }
    std::vector<Member> members;
    archive_entry* entry = nullptr;
    for (;;) {
        int r = archive_read_next_header(reader.a, &entry);
        if (r == ARCHIVE_EOF)
            break;
        if (r < ARCHIVE_WARN) {
            state.problem = "not a readable 7z archive (" + reader.error() + ")";
            return 1;
        }
        members.push_back({entryName(entry), entrySize(entry)});
    }
    state.open = true;
    state.path = archiveName;
    state.members = std::move(members);
    state.pass = std::make_unique<Pass>(state.path, state.members);
    return 0;
}

int arc_find(const char* name)
{
    const int index = indexOf(name);
    if (index >= 0) {
        std::lock_guard<std::mutex> lock(stateMutex);
        state.lastSize = state.members[static_cast<size_t>(index)].size;
    }
    return index;
}

int arc_size(const char* name)
{
    const int index = indexOf(name);
    return index < 0 ? -1 : state.members[static_cast<size_t>(index)].size;
}

int arc_extract(const char* name, unsigned char* destination)
{
    {
        std::lock_guard<std::mutex> lock(stateMutex);
        state.lastSize = -1;
    }
    const int size = arc_size(name);
    if (size < 0 || !state.open)
        return 1;
    if (size > 0 && !destination)
        return 1;
    std::vector<char> bytes;
    if (!memberBytes(name, bytes, false))
        return 1;
    if (size > 0)
        std::memcpy(destination, bytes.data(), static_cast<size_t>(size));
    return 0;
}

bool arc_take(const char* name, std::vector<char>& bytes)
{
    bytes.clear();
    return memberBytes(name, bytes, true);
}

std::string arc_problem()
{
    std::lock_guard<std::mutex> lock(stateMutex);
    return state.problem;
}

void arc_close()
{
    state.pass.reset();
    state.open = false;
    state.path.clear();
    state.members.clear();
    state.lastSize = -1;
}

bool openArchive(const std::string& archiveName)
{
    return arc_open(archiveName.c_str()) == 0;
}

void closeArchive()
{
    arc_close();
}

namespace {

enum class Extracted { missing, failed, ok };

Extracted takeMember(const std::string& name, std::vector<char>& bytes)
{
    if (arc_size(name.c_str()) < 0)
        return Extracted::missing;
    return arc_take(name.c_str(), bytes) ? Extracted::ok : Extracted::failed;
}

}

bool loadFromArchive(File& file)
{
    std::vector<char> bytes;
    if (takeMember(file.getPath(), bytes) != Extracted::ok) {
        file.setOpened(false);
        return false;
    }
    file.appendData(std::move(bytes));
    file.setOpened(true);
    return true;
}

bool loadFromArchive(Image& image)
{
    std::vector<char> bytes;
    switch (takeMember(image.getFilename(), bytes)) {
    case Extracted::missing:
        image.setLoaded(false);
        return false;
    case Extracted::failed:
        return false;
    case Extracted::ok:
        break;
    }
    image.loadFromMemory(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
    return true;
}
