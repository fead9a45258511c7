#include "engine/StreamProbe.h"

#include "diag/Trace.h"

#include <zent/platform/Text.h>
#include <zent/platform/Trace.h>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/error.h>
}

#include <cmath>
#include <cstdio>
#include <memory>
#include <mutex>

namespace {

// An opened input that is always closed.
struct InputCloser {
    void operator()(AVFormatContext* ctx) const { avformat_close_input(&ctx); }
};
using InputPtr = std::unique_ptr<AVFormatContext, InputCloser>;

InputPtr OpenInput(const std::string& utf8Path, bool traceError)
{
    // libavformat's own chatter about damaged recordings would drown the command line's output;
    // it stays available through the trace switch.
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(zent::IsTraceEnabled() ? AV_LOG_WARNING : AV_LOG_QUIET); });
    AVFormatContext* ctx = avformat_alloc_context();
    if (!ctx) return nullptr;
    const int ret = avformat_open_input(&ctx, utf8Path.c_str(), nullptr, nullptr);
    if (ret < 0) {
        // avformat_open_input frees the context on failure.
        if (traceError) {
            char text[1024];
            av_strerror(ret, text, sizeof text);
            TraceA("[%d] %s\r\n", ret, text);
        }
        return nullptr;
    }
    return InputPtr(ctx);
}

int CountStreams(const std::wstring& path, AVMediaType type)
{
    InputPtr input = OpenInput(zent::WideToUtf8(path), true);
    if (!input) return 0;
    // Containers without a header (MPEG program streams) announce their streams only while
    // being read: opening alone finds none, and the list would show "0CH". Only then is the
    // stream-info pass worth its cost.
    if (input->nb_streams == 0 && avformat_find_stream_info(input.get(), nullptr) < 0) return 0;
    int count = 0;
    for (unsigned i = 0; i < input->nb_streams; ++i)
        if (input->streams[i]->codecpar && input->streams[i]->codecpar->codec_type == type) ++count;
    return count;
}

// The best video stream's decoder, or null; logs as the play routine does.
const AVCodec* FindBestVideoDecoder(const std::wstring& path)
{
    InputPtr input = OpenInput(zent::WideToUtf8(path), false);
    if (!input) {
        std::fputs("Could not open file.\n", stderr);
        return nullptr;
    }
    if (avformat_find_stream_info(input.get(), nullptr) < 0) return nullptr;
    const AVCodec* decoder = nullptr;
    if (av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0) < 0) return nullptr;
    return decoder;
}

} // namespace

int GetVidoeStreamCount(const std::wstring& path) { return CountStreams(path, AVMEDIA_TYPE_VIDEO); }

int GetAudioStreamCount(const std::wstring& path) { return CountStreams(path, AVMEDIA_TYPE_AUDIO); }

double GetFileDurationSeconds(const std::string& utf8Path)
{
    InputPtr input = OpenInput(utf8Path, false);
    if (!input) return 0.0;
    if (avformat_find_stream_info(input.get(), nullptr) < 0) return 0.0;
    double d = 0.0;
    if (input->duration != AV_NOPTS_VALUE) {
        d = static_cast<double>(input->duration) / 1000000.0;
    } else {
        for (unsigned i = 0; i < input->nb_streams; ++i) {
            const AVStream* s = input->streams[i];
            if (!s->codecpar || s->codecpar->codec_type != AVMEDIA_TYPE_VIDEO) continue;
            if (s->duration != AV_NOPTS_VALUE && s->time_base.den != 0)
                d = static_cast<double>(s->duration) * s->time_base.num / s->time_base.den;
            break;
        }
    }
    if (!std::isfinite(d) || d < 0.0) return 0.0;
    return std::round(d * 10.0) / 10.0;
}

int GetFileDuration(const std::string& utf8Path)
{
    const double d = GetFileDurationSeconds(utf8Path);
    return d >= 2147483647.0 ? 2147483647 : static_cast<int>(d);
}

bool IsSupportCodec(const std::wstring& path)
{
    TraceA("### %s", "CFFMpegPlayerEx::IsSupportCodec");
    const AVCodec* decoder = FindBestVideoDecoder(path);
    return decoder && (decoder->id == AV_CODEC_ID_HEVC || decoder->id == AV_CODEC_ID_H264);
}

std::string GetVideoCodecName(const std::wstring& path)
{
    InputPtr input = OpenInput(zent::WideToUtf8(path), false);
    if (!input || avformat_find_stream_info(input.get(), nullptr) < 0) return {};
    const AVCodec* decoder = nullptr;
    const int index = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (index < 0) return {};
    if (decoder) return decoder->name;
    return avcodec_get_name(input->streams[index]->codecpar->codec_id);
}

int GetVideoWidth(const std::wstring& path)
{
    InputPtr input = OpenInput(zent::WideToUtf8(path), false);
    if (!input || avformat_find_stream_info(input.get(), nullptr) < 0) return 0;
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVCodecParameters* par = input->streams[i]->codecpar;
        if (par && par->codec_type == AVMEDIA_TYPE_VIDEO) return par->width;
    }
    return 0;
}

bool Is4KModel(std::wstring_view model)
{
    for (const wchar_t* m : probe::k4KModels)
        if (model == m) return true;
    return false;
}

bool IsPlayableByRule(std::wstring_view model, bool codecSupported, int width)
{
    if (!model.empty()) return Is4KModel(model);
    return codecSupported && width <= probe::kMaxPlayableWidth;
}

bool IsPlayable(std::wstring_view model, const std::wstring& path)
{
    if (!model.empty()) return Is4KModel(model);
    return IsPlayableByRule(model, IsSupportCodec(path), GetVideoWidth(path));
}
