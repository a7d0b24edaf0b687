#include "util/Archive.h"

#include "util/ArchiveHeader.h"
#include "util/File.h"
#include "util/Image.h"

#include <archive.h>
#include <archive_entry.h>
#include <sys/mman.h>

#include <climits>
#include <filesystem>
#include <memory>
#include <vector>

namespace {

struct Member {
    std::string name;
    int size;     // -1 when the member cannot be extracted (folder, unknown or huge size)
};

struct ArchiveState {
    bool open = false;
    std::string path;
    std::vector<Member> members;
    int lastSize = -1;
    std::string problem;  // why the archive or one of its members could not be read
};

ArchiveState state;

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
    return 0;
}

int arc_find(const char* name)
{
    if (!name)
        return -1;
    for (size_t i = 0; i < state.members.size(); ++i) {
        const Member& m = state.members[i];
        if (m.size >= 0 && m.name == name) {
            state.lastSize = m.size;
            return static_cast<int>(i);
        }
    }
    return -1;
}

int arc_size(const char* name)
{
    return arc_find(name) < 0 ? -1 : state.lastSize;
}

int arc_extract(const char* name, unsigned char* destination)
{
    state.lastSize = -1;
    int index = arc_find(name);
    if (index < 0 || !state.open)
        return 1;
    const int size = state.lastSize;
    if (size > 0 && !destination)
        return 1;

    // A fresh decoder for every extraction. The archive is non-solid: the
    // members before this one are stepped over without being decoded.
    Reader reader;
    // The first member that cannot be read is the one remembered.
    auto damaged = [&](const std::string& why) {
        if (state.problem.empty())
            state.problem = "member '" + std::string(name) + "' cannot be read (" + why + ")";
        return 1;
    };
    if (!reader.open(state.path))
        return damaged(reader.error());
    archive_entry* entry = nullptr;
    for (int i = 0; i <= index; ++i)
        if (archive_read_next_header(reader.a, &entry) < ARCHIVE_WARN)
            return damaged(reader.error());
    // The archive file may have changed since it was listed.
    if (entryName(entry) != name || entrySize(entry) != size)
        return damaged("the archive changed");

    int got = 0;
    while (got < size) {
        la_ssize_t r = archive_read_data(reader.a, destination + got, static_cast<size_t>(size - got));
        if (r <= 0)
            return damaged(r < 0 ? reader.error() : "data cut short");
        got += static_cast<int>(r);
    }
    // The check sum is tested when the end is reached: a corrupt member reports it
    // only here, after its bytes were delivered.
    unsigned char extra;
    la_ssize_t tail = archive_read_data(reader.a, &extra, 1);
    if (tail != 0)
        return damaged(tail < 0 ? reader.error() : "more data than listed");
    return 0;
}

std::string arc_problem()
{
    return state.problem;
}

void arc_close()
{
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

// Room for a member of its listed size whose pages become resident only as the
// decoder fills them: a size forged in the header costs no more memory than
// the data behind it.
class MemberBuffer {
public:
    explicit MemberBuffer(int size) : size(static_cast<size_t>(size))
    {
        if (this->size == 0)
            return;
        void* p = mmap(nullptr, this->size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        bytes = p == MAP_FAILED ? nullptr : static_cast<unsigned char*>(p);
    }
    ~MemberBuffer()
    {
        if (bytes)
            munmap(bytes, size);
    }
    MemberBuffer(const MemberBuffer&) = delete;
    MemberBuffer& operator=(const MemberBuffer&) = delete;
    bool ready() const { return bytes || size == 0; }
    unsigned char* data() { return bytes ? bytes : &empty; }
    int length() const { return static_cast<int>(size); }

private:
    size_t size;
    unsigned char* bytes = nullptr;
    unsigned char empty = 0;
};

Extracted extractMember(const std::string& name, std::unique_ptr<MemberBuffer>& bytes)
{
    const int size = arc_size(name.c_str());
    if (size < 0)
        return Extracted::missing;
    bytes = std::make_unique<MemberBuffer>(size);
    if (!bytes->ready() || arc_extract(name.c_str(), bytes->data()) != 0) {
        bytes.reset();
        return Extracted::failed;
    }
    return Extracted::ok;
}

}

bool loadFromArchive(File& file)
{
    std::unique_ptr<MemberBuffer> bytes;
    if (extractMember(file.getPath(), bytes) != Extracted::ok) {
        file.setOpened(false);
        return false;
    }
    file.appendBytes(bytes->data(), static_cast<size_t>(bytes->length()));
    file.setOpened(true);
    return true;
}

bool loadFromArchive(Image& image)
{
    std::unique_ptr<MemberBuffer> bytes;
    switch (extractMember(image.getFilename(), bytes)) {
    case Extracted::missing:
        image.setLoaded(false);
        image.setProblem("not in the archive");
        return false;
    case Extracted::failed:
        image.setProblem("cannot be read from the archive");
        return false;
    case Extracted::ok:
        break;
    }
    image.loadFromMemory(bytes->data(), bytes->length());
    return true;
}
