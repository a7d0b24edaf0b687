#pragma once
// Always-on assertion: names the file, the line and the condition, then aborts.
// Unlike assert() it stays in Release builds.

namespace vlm {
[[noreturn]] void assertionFailed(const char* condition, const char* file, int line);

// A place in the source. A helper that asserts on its caller's behalf takes
// the caller's place (VLM_HERE) and reports the failure there.
struct SourcePlace {
    const char* file;
    int line;
};
}

#define VLM_ASSERT(cond) \
    ((cond) ? static_cast<void>(0) : ::vlm::assertionFailed(#cond, __FILE__, __LINE__))

#define VLM_HERE (::vlm::SourcePlace{__FILE__, __LINE__})
