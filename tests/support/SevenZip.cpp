#include "support/SevenZip.h"

#include "support/TempDir.h"

#include <archive.h>
#include <archive_entry.h>

#include <filesystem>
#include <stdexcept>

namespace testsupport {

void write7z(const std::string& path, const Members& members, const std::string& compression)
{
    archive* a = archive_write_new();
    archive_write_set_format_7zip(a);
    if (archive_write_set_format_option(a, "7zip", "compression", compression.c_str()) != ARCHIVE_OK ||
        archive_write_open_filename(a, path.c_str()) != ARCHIVE_OK) {
        archive_write_free(a);
        throw std::runtime_error("cannot write 7z archive " + path);
    }
    for (const auto& m : members) {
        archive_entry* e = archive_entry_new();
        bool folder = !m.first.empty() && m.first.back() == '/';
        archive_entry_set_pathname(e, folder ? m.first.substr(0, m.first.size() - 1).c_str() : m.first.c_str());
        archive_entry_set_filetype(e, folder ? AE_IFDIR : AE_IFREG);
        archive_entry_set_perm(e, folder ? 0755 : 0644);
        archive_entry_set_size(e, folder ? 0 : static_cast<la_int64_t>(m.second.size()));
        archive_write_header(a, e);
        if (!folder && !m.second.empty())
            archive_write_data(a, m.second.data(), m.second.size());
        archive_entry_free(e);
    }
    archive_write_close(a);
    archive_write_free(a);
}

void packFolder(const std::string& root, const std::string& folder)
{
    namespace fs = std::filesystem;
    Members members;
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(root) / folder))
        if (entry.is_regular_file())
            members.emplace_back(fs::relative(entry.path(), root).generic_string(), readWholeFile(entry.path().string()));
    write7z((fs::path(root) / "resources.7z").string(), members, "store");
}

}
