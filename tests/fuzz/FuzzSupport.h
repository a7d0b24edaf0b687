#pragma once
// What the fuzz targets share: a scratch folder for inputs that the readers
// take from files, inputs split into several files, quiet logging and a GL
// context for readers that upload what they read.

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace fuzz {

// The process's own empty folder, ending in "/"; made on first use.
const std::string& scratch();

// Writes the bytes to scratch() + name and gives that path.
std::string writeScratch(const std::string& name, const uint8_t* data, size_t size);
std::string writeScratch(const std::string& name, const std::string& bytes);

// The engine logs every step to standard output: the targets send it away.
void quietLog();

// One hidden window with an OpenGL 3.2 core context; exits with a message
// when there is no display.
void openGLContext();

// Input split at zero bytes: the first part as it is, named firstName; every
// later part named by its first line (letters, digits and "._-" only, at most
// 32; else "partN"), its content the rest.
std::vector<std::pair<std::string, std::string>> namedParts(const uint8_t* data, size_t size,
                                                            const std::string& firstName);

}
