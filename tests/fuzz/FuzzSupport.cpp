#include "FuzzSupport.h"

#include "platform/Glfw27.h"

#include <GL/glew.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fuzz {

const std::string& scratch()
{
    // Never freed: the exit handler below still needs it.
    static const std::string* folder = [] {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base && *base ? base : "/tmp") + "/pulsvek-fuzz-XXXXXX";
        if (!mkdtemp(&pattern[0])) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        return new std::string(pattern + "/");
    }();
    static const bool removedAtExit = std::atexit([] { std::filesystem::remove_all(*folder); }) == 0;
    (void)removedAtExit;
    return *folder;
}

std::string writeScratch(const std::string& name, const uint8_t* data, size_t size)
{
    const std::string path = scratch() + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return path;
}

std::string writeScratch(const std::string& name, const std::string& bytes)
{
    return writeScratch(name, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

void quietLog()
{
    std::fflush(stdout);
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0) {
        dup2(null, STDOUT_FILENO);
        close(null);
    }
}

void openGLContext()
{
    if (!glfw27::init()) {
        std::fprintf(stderr, "fuzz: no display for the GL context (run under xvfb-run)\n");
        std::exit(1);
    }
    glfw27::openWindowHint(glfw27::OPENGL_VERSION_MAJOR, 3);
    glfw27::openWindowHint(glfw27::OPENGL_VERSION_MINOR, 2);
    glfw27::openWindowHint(glfw27::OPENGL_PROFILE, glfw27::OPENGL_CORE_PROFILE);
    glfw27::openWindowHint(glfw27::WINDOW_HIDDEN, 1);
    glewExperimental = GL_TRUE;
    if (!glfw27::openWindow(64, 64, 8, 8, 8, 8, 24, 8, glfw27::WINDOW) || glewInit() != GLEW_OK) {
        std::fprintf(stderr, "fuzz: no OpenGL 3.2 context\n");
        std::exit(1);
    }
    while (glGetError() != GL_NO_ERROR) {
    }
}

std::vector<std::pair<std::string, std::string>> namedParts(const uint8_t* data, size_t size,
                                                            const std::string& firstName)
{
    std::vector<std::pair<std::string, std::string>> parts;
    const std::string all(reinterpret_cast<const char*>(data), size);
    size_t start = 0;
    while (true) {
        const size_t end = all.find('\0', start);
        const std::string part = all.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (parts.empty()) {
            parts.emplace_back(firstName, part);
        } else {
            const size_t line = part.find('\n');
            std::string name = part.substr(0, line);
            bool plain = !name.empty() && name.size() <= 32 && name != "." && name != "..";
            for (char c : name)
                plain = plain && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                                  c == '.' || c == '_' || c == '-');
            if (!plain)
                name = "part" + std::to_string(parts.size());
            parts.emplace_back(name, line == std::string::npos ? std::string() : part.substr(line + 1));
        }
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return parts;
}

}
