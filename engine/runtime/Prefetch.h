#pragma once
// Decoding ahead of the loader on worker threads: the pictures it is going to
// upload and the music. Workers only read resource bytes and decode them into
// buffers of their own; the loader takes the results on its thread, in its own
// order, and makes every GL call itself. Whatever a worker could not do (a file
// that is missing, damaged or no PNG) is left to the loader, which then reads
// it the usual way and reports it as before.

#include "platform/FmodEx.h"

#include <string>
#include <vector>

class Image;

namespace Prefetch {

// A picture to decode; with mipmapLayers above 0 its mipmap chain is built as
// well, for that many slices stacked in it (Image::buildMipmaps).
struct Picture {
    std::string path;
    int mipmapLayers = 0;
};

// Starts decoding the pictures, a few ahead of the loader, from the folders
// (mode 0) or the archive (mode 1). Stops what was started before.
void startPictures(const std::vector<Picture>& pictures, int mode);
// The picture decoded for the path, once its worker is done; null when the
// path was not asked for or did not decode.
Image* takePicture(const std::string& path);

// Starts decoding the music at the path (folder or archive as above).
void startMusic(const std::string& path, int mode);
// True when the music at the path was read by its thread (waiting for it):
// result tells whether it decoded, audio holds it then. False when it was not
// asked for or could not be read.
bool takeMusic(const std::string& path, FMOD_RESULT& result, fmodex::DecodedAudio& audio);

// Stops every worker and drops what was not taken. Call before the archive closes.
void stop();

}
