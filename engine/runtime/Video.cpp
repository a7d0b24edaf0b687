#include "engine/runtime/Video.h"

#include "engine/render/Texture.h"
#include "engine/runtime/UnpackAlignment.h"
#include "util/Log.h"

#include <vpx/vp8dx.h>

#include <GL/glew.h>

#include <climits>
#include <cmath>
#include <cstdio>

namespace {

constexpr int headerBytes = 32;
constexpr int frameHeaderBytes = 12;
// VP8 pictures are at most 16383 pixels wide and high.
constexpr int maxSide = 16383;

}

Video::Video(const char* path)
{
    std::FILE* file = path ? std::fopen(path, "rb") : nullptr;
    if (!file) {
        vlm::logLine("Video: failed to open '", path ? path : "", "'");
        return;
    }
    long long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        size = ftello(file);
    std::rewind(file);
    size_t got = 0;
    if (size > 0 && size <= INT_MAX) {
        data.resize(static_cast<size_t>(size));
        got = std::fread(data.data(), 1, data.size(), file);
    }
    std::fclose(file);
    data.resize(got);
    length = static_cast<int>(got);
    if (got == 0) {
        vlm::logLine("Video: failed to read '", path, "'");
        return;
    }
    if (isIVF())
        initCodec();
    else
        vlm::logLine("Video: '", path, "' is not in IVF format");
}

Video::Video(const unsigned char* bytes, unsigned int size)
{
    if (!bytes) {
        vlm::logLine("Video: pointer to movie is NULL");
        return;
    }
    if (size <= static_cast<unsigned int>(INT_MAX)) {
        data.assign(bytes, bytes + size);
        length = static_cast<int>(size);
    }
    if (isIVF())
        initCodec();
    else
        vlm::logLine("Video: movie is not in IVF format");
}

Video::~Video()
{
    if (codecReady && vpx_codec_destroy(&codec) != VPX_CODEC_OK)
        printDecoderError("Video: failed to destroy codec");
    delete texture;
}

bool Video::isIVF() const
{
    return length >= headerBytes && data[0] == 'D' && data[1] == 'K' && data[2] == 'I' && data[3] == 'F';
}

unsigned int Video::toUInt32(unsigned char b0, unsigned char b1, unsigned char b2, unsigned char b3)
{
    return static_cast<unsigned int>(b0) | (static_cast<unsigned int>(b1) << 8) |
           (static_cast<unsigned int>(b2) << 16) | (static_cast<unsigned int>(b3) << 24);
}

uint64_t Video::toUInt64(unsigned char b0, unsigned char b1, unsigned char b2, unsigned char b3, unsigned char b4,
                         unsigned char b5, unsigned char b6, unsigned char b7)
{
    return static_cast<uint64_t>(toUInt32(b0, b1, b2, b3)) | (static_cast<uint64_t>(toUInt32(b4, b5, b6, b7)) << 32);
}

unsigned int Video::headerUInt32(int offset) const
{
    return toUInt32(data[offset], data[offset + 1], data[offset + 2], data[offset + 3]);
}

void Video::printDecoderError(const std::string& message)
{
    vlm::logLine(message);
    vlm::logLine(vpx_codec_error(&codec));
    const char* detail = vpx_codec_error_detail(&codec);
    if (detail)
        vlm::logLine(detail);
}

void Video::initCodec()
{
    int w = data[12] | (data[13] << 8);
    int h = data[14] | (data[15] << 8);
    if (w <= 0 || h <= 0 || w > maxSide || h > maxSide) {
        vlm::logLine("Video: movie has an invalid size ", w, "x", h);
        return;
    }
    if (vpx_codec_dec_init(&codec, vpx_codec_vp8_dx(), nullptr, 0) != VPX_CODEC_OK) {
        printDecoderError("Video: failed to initialize VPX codec");
        return;
    }
    codecReady = true;
    width = w;
    height = h;
    pixels.assign(static_cast<size_t>(width) * height * 3, 0);
    texture = new Texture(width, height, GL_RGB, GL_RGB, GL_UNSIGNED_BYTE);

    for (int i = 0; i < headerBytes; ++i)
        vlm::logLine(i, " : ", static_cast<int>(data[i]), " ", static_cast<char>(data[i]));

    rate = headerUInt32(16);
    scale = headerUInt32(20);
    frameCount = static_cast<int>(headerUInt32(24));
    timeMode = headerUInt32(24) < 2 ? 1 : 0;

    buildIndex();
    loaded = true;
    currentFrame = -1;
}

void Video::buildIndex()
{
    frames.clear();
    frameCount = 0;
    // Every frame header and payload must lie inside the data; the scan stops at
    // the first one that does not.
    uint64_t offset = headerBytes;
    const uint64_t end = static_cast<uint64_t>(length);
    while (offset + frameHeaderBytes <= end) {
        int at = static_cast<int>(offset);
        unsigned int size = headerUInt32(at);
        const unsigned char* t = &data[static_cast<size_t>(at) + 4];
        uint64_t timestamp = toUInt64(t[0], t[1], t[2], t[3], t[4], t[5], t[6], t[7]);
        uint64_t payloadEnd = offset + frameHeaderBytes + size;
        if (payloadEnd > end)
            break;
        const unsigned char* payload = &data[static_cast<size_t>(at) + frameHeaderBytes];
        // A VP8 key frame has a clear low bit in its first byte and the start code 9d 01 2a.
        bool key = size >= 10 && (payload[0] & 1) == 0 && payload[3] == 0x9d && payload[4] == 0x01 &&
                   payload[5] == 0x2a;
        frames.push_back({at, static_cast<int>(size), timestamp, key});
        ++frameCount;
        offset = payloadEnd;
    }
}

bool Video::decodeOnly(int index)
{
    const FrameEntry& f = frames[static_cast<size_t>(index)];
    if (vpx_codec_decode(&codec, &data[static_cast<size_t>(f.offset) + frameHeaderBytes],
                         static_cast<unsigned int>(f.size), nullptr, 0) != VPX_CODEC_OK) {
        printDecoderError("Video: failed to decode frame " + std::to_string(index));
        return false;
    }
    return true;
}

void Video::decodeFrame(int index)
{
    if (index > frameCount - 1)
        index = frameCount - 1;
    if (index < 0 || !decodeOnly(index))
        return;
    iterator = nullptr;
    vpx_image_t* picture = vpx_codec_get_frame(&codec, &iterator);
    // No picture (a frame that shows nothing): the previous one stays.
    if (picture) {
        image = picture;
        copyPicture(picture);
    }
}

void Video::decodeFrames(int first, int last)
{
    if (first < 0)
        first = 0;
    if (last > frameCount - 1)
        last = frameCount - 1;
    for (int i = first; i < last; ++i)
        decodeOnly(i);
    decodeFrame(last);
}

void Video::copyPicture(const vpx_image_t* picture)
{
    if (picture->fmt != VPX_IMG_FMT_I420)
        return;
    // The header's size rules the copy; parts of it the picture does not cover
    // keep what they held.
    const int pictureWidth = static_cast<int>(picture->d_w);
    const int pictureHeight = static_cast<int>(picture->d_h);
    const int columns = width < pictureWidth ? width : pictureWidth;
    const unsigned char* planeY = picture->planes[0];
    const unsigned char* planeU = picture->planes[1];
    const unsigned char* planeV = picture->planes[2];
    const int strideY = picture->stride[0];
    const int strideU = picture->stride[1];
    const int strideV = picture->stride[2];
    for (int j = 0; j < height; ++j) {
        int y = height - 1 - j;
        if (y >= pictureHeight)
            continue;
        unsigned char* out = &pixels[static_cast<size_t>(j) * width * 3];
        const unsigned char* rowY = planeY + static_cast<ptrdiff_t>(y) * strideY;
        const unsigned char* rowU = planeU + static_cast<ptrdiff_t>(y / 2) * strideU;
        const unsigned char* rowV = planeV + static_cast<ptrdiff_t>(y / 2) * strideV;
        for (int x = 0; x < columns; ++x) {
            *out++ = rowY[x];
            *out++ = rowU[x / 2];
            *out++ = rowV[x / 2];
        }
    }
}

int Video::lastKeyFrameAtOrBefore(int index) const
{
    for (int i = index; i >= 0; --i)
        if (frames[static_cast<size_t>(i)].key)
            return i;
    return -1;
}

bool Video::gotoFrame(int index)
{
    if (frameCount == 0)
        return false;
    if (index > frameCount - 1)
        index = frameCount - 1;
    if (index < 0)
        index = 0;
    if (index == currentFrame)
        return false;
    if (index == currentFrame + 1) {
        decodeFrame(index);
    } else {
        // Inter frames build on the ones before them: decode from the last key
        // frame, or go on from the current frame when no key frame lies between.
        int key = lastKeyFrameAtOrBefore(index);
        int first = (currentFrame >= 0 && index > currentFrame && key <= currentFrame) ? currentFrame + 1 : key;
        decodeFrames(first < 0 ? 0 : first, index);
    }
    currentFrame = index;
    return true;
}

bool Video::gotoTime(float seconds)
{
    if (!(seconds > 0.0f))
        seconds = 0.0f;
    const long double ticks = static_cast<long double>(seconds) * rate / (scale == 0 ? 1 : scale);
    if (timeMode == 0) {
        long double frame = std::trunc(ticks);
        return gotoFrame(frame >= static_cast<long double>(INT_MAX) ? INT_MAX : static_cast<int>(frame));
    }
    if (frameCount == 0)
        return false;
    if (frameCount == 1)
        return gotoFrame(0);
    const long double limit = 18446744073709551615.0L;
    uint64_t t = ticks >= limit ? UINT64_MAX : static_cast<uint64_t>(ticks);
    int chosen = frameCount - 1;
    if (t < frames[1].timestamp) {
        chosen = 0;
    } else {
        for (int i = 2; i < frameCount; ++i) {
            if (frames[static_cast<size_t>(i)].timestamp > t) {
                chosen = i - 1;
                break;
            }
        }
    }
    return gotoFrame(chosen);
}

void Video::uploadIfChanged(bool changed)
{
    if (changed && texture) {
        UnpackAlignment packed;
        texture->updateTexture(pixels.data());
    }
}

Texture* Video::getFrameTexture(int index)
{
    uploadIfChanged(gotoFrame(index));
    return texture;
}

Texture* Video::getTimeTexture(float seconds)
{
    uploadIfChanged(gotoTime(seconds));
    return texture;
}
