#pragma once
// One process-wide 7z archive, members found by exact, case-sensitive name and
// extracted whole into memory. Once open, a thread of its own decodes every
// member in one pass, in the order they are stored; a request waits for its
// member, and one the pass could not read is read again alone.

#include <string>
#include <vector>

class File;
class Image;

// 0 when the archive opened and its member list was read, else 1. An archive
// that is open already is closed first.
int arc_open(const char* archiveName);
// Index of the first member with exactly this name, or -1. On a hit the member's
// size becomes the last size. Folders and members of 2 GiB or more are not found.
int arc_find(const char* name);
// Size of the named member, or -1.
int arc_size(const char* name);
// Decodes the named member into destination (at least arc_size bytes): 0 on
// success, 1 when the name is unknown or the data is corrupt or short.
int arc_extract(const char* name, unsigned char* destination);
// Moves the named member's bytes out (a later call reads it again): false when
// the name is unknown or the data is corrupt or short. Every call here may come
// from any thread while the archive stays open.
bool arc_take(const char* name, std::vector<char>& bytes);
// Safe to call when nothing is open.
void arc_close();
// Why the last arc_open failed, or else why the first member that failed to
// extract since could not be read; empty when nothing failed. Kept by arc_close.
std::string arc_problem();

bool openArchive(const std::string& archiveName);
void closeArchive();
// Fill a File or an Image from the member named by its path / file name.
bool loadFromArchive(File& file);
bool loadFromArchive(Image& image);
