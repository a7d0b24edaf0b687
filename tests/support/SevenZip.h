#pragma once
// Writes 7z archives for tests.

#include <string>
#include <utility>
#include <vector>

namespace testsupport {

using Members = std::vector<std::pair<std::string, std::string>>;

// Members in the order given; compression is a 7z writer option value
// ("store", "lzma1", "lzma2", "deflate", "bzip2"). A name ending in "/" is a folder.
void write7z(const std::string& path, const Members& members, const std::string& compression = "lzma1");

// "root/resources.7z" holding every file below root/folder, stored uncompressed
// under its path relative to root.
void packFolder(const std::string& root, const std::string& folder);

}
