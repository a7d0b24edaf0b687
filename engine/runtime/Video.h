#pragma once
// A VP8 stream in an IVF file, held whole in memory and decoded frame by frame
// on demand into one texture. The texture carries the picture's Y, U and V
// samples in its red, green and blue channels, rows bottom-up.

#include <vpx/vpx_decoder.h>

#include <cstdint>
#include <string>
#include <vector>

class Texture;

struct FrameEntry {
    int offset;          // file offset of the 12-byte frame header
    int size;            // payload bytes
    uint64_t timestamp;
    bool key;            // the payload starts a key frame
};

class Video {
public:
    explicit Video(const char* path);
    Video(const unsigned char* bytes, unsigned int length);
    ~Video();
    Video(const Video&) = delete;
    Video& operator=(const Video&) = delete;

    // At least the 32-byte header, starting with "DKIF".
    bool isIVF() const;
    bool isLoaded() const { return loaded; }
    int getWidth() const { return width; }
    int getHeight() const { return height; }
    int getFrameCount() const { return frameCount; }
    int getCurrentFrame() const { return currentFrame; }
    // The current picture: width x height Y, U, V triples, bottom row first.
    const std::vector<unsigned char>& getPixels() const { return pixels; }
    const std::vector<FrameEntry>& getFrames() const { return frames; }

    static unsigned int toUInt32(unsigned char b0, unsigned char b1, unsigned char b2, unsigned char b3);
    static uint64_t toUInt64(unsigned char b0, unsigned char b1, unsigned char b2, unsigned char b3,
                             unsigned char b4, unsigned char b5, unsigned char b6, unsigned char b7);

    // Bring the picture to a frame (clamped to the frames there are) or to the
    // frame shown at a time; true when the frame changed.
    bool gotoFrame(int index);
    bool gotoTime(float seconds);
    // The texture, re-uploaded when the frame changed. Null when not loaded.
    Texture* getFrameTexture(int index);
    Texture* getTimeTexture(float seconds);

private:
    void initCodec();
    void buildIndex();
    unsigned int headerUInt32(int offset) const;
    void printDecoderError(const std::string& message);
    // Hands one frame to the decoder; false on a decoder error (printed).
    bool decodeOnly(int index);
    void decodeFrame(int index);
    void decodeFrames(int first, int last);
    void copyPicture(const vpx_image_t* picture);
    void uploadIfChanged(bool changed);
    int lastKeyFrameAtOrBefore(int index) const;

    int length = 0;
    std::vector<unsigned char> data;
    bool codecReady = false;
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels;
    Texture* texture = nullptr;
    std::vector<FrameEntry> frames;
    vpx_codec_iter_t iterator = nullptr;
    vpx_image_t* image = nullptr;
    vpx_codec_ctx_t codec{};
    int timeMode = 0;
    unsigned int rate = 0;
    unsigned int scale = 0;
    int frameCount = 0;
    bool loaded = false;
    int currentFrame = -1;
};
