#pragma once
// A look at a 7z file's start header and member list before the decoder reads
// them. The decoder sizes its tables by the counts the list claims and clears
// them whole, so a list of a few bytes that claims a hundred million streams
// costs gigabytes. Every count that sizes a table must fit in the list's own
// bytes, as it does in any list the decoder can go on to read, and the list
// (unpacked, when it is packed) may take at most kMaxListBytes. Damage the
// look sees for itself (a file cut short, a wrong check sum, a list that does
// not unpack) is named here too: the decoder gives no reason for most of it.

#include <cstddef>
#include <string>

constexpr size_t kMaxListBytes = 8u << 20;

// Why the file is refused, or empty when it may go to the decoder. A list
// whose structure this look does not follow is left for the decoder to judge.
std::string archiveListProblem(const std::string& path);
