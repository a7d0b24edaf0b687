#include "tools/synth/Mp3.h"

#include <lame/lame.h>
#include <mpg123.h>

#include <cstdint>
#include <cstdio>
#include <memory>

namespace synth {

namespace {

struct LameDeleter {
    void operator()(lame_global_flags* flags) const { lame_close(flags); }
};
struct Mpg123Deleter {
    void operator()(mpg123_handle* handle) const { mpg123_delete(handle); }
};
struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

}  // namespace

bool encodeMp3(const std::vector<float>& left, const std::vector<float>& right, int sampleRate,
               int kbps, const std::string& path, std::string& error)
{
    if (left.size() != right.size()) {
        error = "the channels differ in length";
        return false;
    }
    std::unique_ptr<lame_global_flags, LameDeleter> lame(lame_init());
    if (!lame) {
        error = "the MP3 encoder does not start";
        return false;
    }
    lame_global_flags* gf = lame.get();
    lame_set_in_samplerate(gf, sampleRate);
    lame_set_out_samplerate(gf, sampleRate);
    lame_set_num_channels(gf, 2);
    lame_set_mode(gf, JOINT_STEREO);
    lame_set_VBR(gf, vbr_off);
    lame_set_brate(gf, kbps);
    lame_set_quality(gf, 5);
    lame_set_bWriteVbrTag(gf, 1);
    if (lame_init_params(gf) < 0) {
        error = "the MP3 encoder refuses the settings";
        return false;
    }

    std::vector<unsigned char> bytes;
    const size_t chunk = 8192;
    std::vector<unsigned char> buffer(chunk + chunk / 4 + 7200);
    for (size_t at = 0; at < left.size(); at += chunk) {
        int n = static_cast<int>(std::min(chunk, left.size() - at));
        int written = lame_encode_buffer_ieee_float(gf, left.data() + at, right.data() + at, n,
                                                    buffer.data(), static_cast<int>(buffer.size()));
        if (written < 0) {
            error = "the MP3 encoder fails (" + std::to_string(written) + ")";
            return false;
        }
        bytes.insert(bytes.end(), buffer.begin(), buffer.begin() + written);
    }
    int written = lame_encode_flush(gf, buffer.data(), static_cast<int>(buffer.size()));
    if (written < 0) {
        error = "the MP3 encoder fails to flush";
        return false;
    }
    bytes.insert(bytes.end(), buffer.begin(), buffer.begin() + written);

    // The first frame was kept free for the header that holds delay, padding and length.
    std::vector<unsigned char> tag(8192);
    size_t tagSize = lame_get_lametag_frame(gf, tag.data(), tag.size());
    if (tagSize == 0 || tagSize > tag.size() || tagSize > bytes.size()) {
        error = "the MP3 encoder gives no header frame";
        return false;
    }
    std::copy(tag.begin(), tag.begin() + tagSize, bytes.begin());

    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
        error = "cannot write '" + path + "'";
        return false;
    }
    if (std::fclose(file.release()) != 0) {
        error = "cannot write '" + path + "'";
        return false;
    }
    return true;
}

bool decodeMp3(const std::string& path, DecodedMp3& out, std::string& error)
{
    out = DecodedMp3();
    mpg123_init();
    int err = MPG123_OK;
    std::unique_ptr<mpg123_handle, Mpg123Deleter> handle(mpg123_new(nullptr, &err));
    mpg123_handle* mh = handle.get();
    if (!mh) {
        error = "the MP3 decoder does not start";
        return false;
    }
    mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_QUIET | MPG123_GAPLESS, 0.0);
    mpg123_format_none(mh);
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; i < rateCount; ++i)
        mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (mpg123_open(mh, path.c_str()) != MPG123_OK) {
        error = "cannot open '" + path + "' as MP3";
        return false;
    }
    int encoding = 0;
    if (mpg123_getformat(mh, &out.sampleRate, &out.channels, &encoding) != MPG123_OK ||
        out.channels < 1 || out.channels > 2) {
        error = "'" + path + "' is not a readable MP3";
        return false;
    }
    std::vector<int16_t> samples(16384);
    for (;;) {
        size_t done = 0;
        int result = mpg123_read(mh, samples.data(), samples.size() * sizeof(int16_t), &done);
        size_t count = done / sizeof(int16_t);
        for (size_t i = 0; i + out.channels <= count; i += out.channels) {
            out.left.push_back(samples[i] / 32768.0f);
            out.right.push_back(samples[i + out.channels - 1] / 32768.0f);
        }
        if (result == MPG123_DONE)
            break;
        if (result != MPG123_OK && result != MPG123_NEW_FORMAT) {
            error = "'" + path + "' stops decoding: " + mpg123_plain_strerror(result);
            return false;
        }
    }
    mpg123_close(mh);
    return true;
}

}  // namespace synth
