#pragma once
// A look at a 7z file's member list before the decoder reads it. The decoder
// sizes its tables by the counts the list claims and clears them whole, so a
// list of a few bytes that claims a hundred million streams costs gigabytes.
// Every count that sizes a table must fit in the list's own bytes, as it does
// in any list the decoder can go on to read, and the list (unpacked, when it
// is packed) may take at most kMaxListBytes.

#include <cstddef>
#include <string>

constexpr size_t kMaxListBytes = 8u << 20;

// Why the file's member list is refused, or empty when it may go to the
// decoder. Faults of other kinds (a damaged start, a list cut short) are left
// for the decoder to report.
std::string archiveListProblem(const std::string& path);
