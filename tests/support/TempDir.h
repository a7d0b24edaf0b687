#pragma once
// A fresh temporary folder, removed with everything in it at the end of its scope.

#include <string>

namespace testsupport {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return dir; }
    // path() + "/" + name
    std::string file(const std::string& name) const;
    // Writes bytes to path()/name, creating parent folders.
    std::string write(const std::string& name, const std::string& bytes) const;

private:
    std::string dir;
};

std::string readWholeFile(const std::string& path);

}
