#include "tools/synth/Mp3.h"

#include "platform/FmodEx.h"

#include <lame/lame.h>

#include <cstdio>
#include <memory>

namespace synth {

namespace {

struct LameDeleter {
    void operator()(lame_global_flags* flags) const { lame_close(flags); }
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
    fmodex::DecodedAudio audio;
    FMOD_RESULT result = fmodex::decodeMp3File(path.c_str(), audio);
    if (result == FMOD_ERR_FILE_NOTFOUND || result == FMOD_ERR_FILE_BAD) {
        error = "cannot read '" + path + "'";
        return false;
    }
    if (result == FMOD_ERR_MEMORY) {
        error = "'" + path + "' decodes to more than 20 minutes";
        return false;
    }
    if (result != FMOD_OK) {
        error = "'" + path + "' is not a readable MP3";
        return false;
    }
    out.sampleRate = audio.rate;
    out.channels = audio.channels;
    const size_t frames = static_cast<size_t>(audio.frames);
    const size_t channels = static_cast<size_t>(audio.channels);
    out.left.resize(frames);
    out.right.resize(frames);
    for (size_t f = 0; f < frames; ++f) {
        out.left[f] = audio.samples[f * channels] / 32768.0f;
        out.right[f] = audio.samples[f * channels + channels - 1] / 32768.0f;
    }
    return true;
}

}  // namespace synth
