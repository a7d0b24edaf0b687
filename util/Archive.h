#pragma once
// One process-wide 7z archive, members found by exact, case-sensitive name and
// extracted whole into memory. Every extraction decodes its member afresh;
// nothing decoded is kept. Not re-entrant: one caller, one thread.

#include <string>

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
// success, 1 when the name is unknown or the data is corrupt or short. The
// bytes are written as they are decoded: only as much of destination is
// touched as the archive really holds.
int arc_extract(const char* name, unsigned char* destination);
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
