#include "tools/samplecard/FfmpegEncode.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace samplecard {

namespace {

constexpr const char* kFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr std::size_t kKeptOutput = 4000; // the tail of the messages that goes into an error

class CFileDescriptor {
public:
    explicit CFileDescriptor(int fd = -1) : m_nFd(fd) {}
    ~CFileDescriptor() { Close(); }
    CFileDescriptor(const CFileDescriptor&) = delete;
    CFileDescriptor& operator=(const CFileDescriptor&) = delete;
    int Get() const { return m_nFd; }
    void Reset(int fd)
    {
        Close();
        m_nFd = fd;
    }
    void Close()
    {
        if (m_nFd >= 0) ::close(m_nFd);
        m_nFd = -1;
    }

private:
    int m_nFd;
};

class CSpawnActions {
public:
    CSpawnActions() { m_bOk = posix_spawn_file_actions_init(&m_actions) == 0; }
    ~CSpawnActions()
    {
        if (m_bOk) posix_spawn_file_actions_destroy(&m_actions);
    }
    CSpawnActions(const CSpawnActions&) = delete;
    CSpawnActions& operator=(const CSpawnActions&) = delete;
    bool IsOk() const { return m_bOk; }
    posix_spawn_file_actions_t* Get() { return &m_actions; }

private:
    posix_spawn_file_actions_t m_actions{};
    bool m_bOk = false;
};

std::string Tail(const std::string& text)
{
    return text.size() > kKeptOutput ? "..." + text.substr(text.size() - kKeptOutput) : text;
}

// Characters with a meaning in a filter graph or in drawtext's text are escaped for both levels.
std::string EscapeDrawText(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        if (c == ':' || c == '\\' || c == '\'' || c == '%' || c == ',') out += '\\';
        out += c;
    }
    return out;
}

// Sky and road (two plain sources stacked: filling boxes into a frame costs ten times more), a
// lane marker rushing past, the channel, the recording's start and the running clock.
std::string BuildScene(const PlannedRecording& r, const std::string& label, bool bRear, const std::string& output)
{
    const int h = r.height;
    const int horizon = h * 5 / 12;
    const int big = std::max(12, h / 15);
    const int small = std::max(10, h / 20);
    const int margin = std::max(6, h / 36);
    const std::string font = std::string("fontfile=") + kFontFile;
    const std::string box = ":box=1:boxcolor=black@0.5:boxborderw=" + std::to_string(std::max(2, h / 90));
    const std::string timing = ":r=" + std::to_string(r.fps) + ":d=" + std::to_string(r.durationSeconds);
    const std::string width = std::to_string(r.width);
    const std::int64_t epoch = ToEpochSeconds(r.start);
    const std::string laneSpeed = std::to_string(h * 2 / 3);
    const std::string laneSpan = std::to_string(h - horizon);
    const std::string laneY = bRear ? std::to_string(h) + "-mod(t*" + laneSpeed + "\\," + laneSpan + ")"
                                    : std::to_string(horizon) + "+mod(t*" + laneSpeed + "\\," + laneSpan + ")";
    std::string s;
    s += "color=c=0x7f9cb5:s=" + width + "x" + std::to_string(horizon) + timing + "[" + output + "sky];";
    s += "color=c=0x3c3f44:s=" + width + "x" + std::to_string(h - horizon) + timing + "[" + output + "road];";
    s += "[" + output + "sky][" + output + "road]vstack,format=yuv420p,";
    s += "drawtext=" + font + ":text='\xE2\x96\xAE':fontsize=" + std::to_string(h / 6) +
         ":fontcolor=0xd8d8d8:x=(w-tw)/2:y=" + laneY + ",";
    s += "drawtext=" + font + ":text='" + EscapeDrawText(label) + "':fontsize=" + std::to_string(big) +
         ":fontcolor=white:x=" + std::to_string(margin) + ":y=" + std::to_string(margin) + box + ",";
    s += "drawtext=" + font + ":text='" + EscapeDrawText(FormatDisplayTime(r.start)) +
         "':fontsize=" + std::to_string(small) + ":fontcolor=white:x=" + std::to_string(margin) +
         ":y=h-th-" + std::to_string(margin) + box + ",";
    // The clock: the picture time added to the start, printed as if it were UTC so that the
    // camera's local clock shows.
    s += "drawtext=" + font + ":text='%{pts\\:gmtime\\:" + std::to_string(epoch) +
         "\\:%Y-%m-%d %H\\\\\\:%M\\\\\\:%S}':fontsize=" + std::to_string(small) +
         ":fontcolor=yellow:x=w-tw-" + std::to_string(margin) + ":y=h-th-" + std::to_string(margin) + box;
    s += "[" + output + "]";
    return s;
}

} // namespace

std::string GetFfmpegProgram()
{
    const char* env = std::getenv("TORVIX_FFMPEG");
    return env && *env ? env : "ffmpeg";
}

bool RunProgram(const std::vector<std::string>& argv, std::string& output, std::string& error)
{
    output.clear();
    if (argv.empty()) {
        error = "no program";
        return false;
    }
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        error = std::string("pipe: ") + std::strerror(errno);
        return false;
    }
    CFileDescriptor readEnd(fds[0]), writeEnd(fds[1]);

    CSpawnActions actions;
    if (!actions.IsOk() || posix_spawn_file_actions_addopen(actions.Get(), 0, "/dev/null", O_RDONLY, 0) != 0 ||
        posix_spawn_file_actions_adddup2(actions.Get(), writeEnd.Get(), 1) != 0 ||
        posix_spawn_file_actions_adddup2(actions.Get(), writeEnd.Get(), 2) != 0) {
        error = "cannot prepare the child's files";
        return false;
    }
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0].c_str(), actions.Get(), nullptr, args.data(), environ);
    writeEnd.Close();
    if (rc != 0) {
        error = "cannot start " + argv[0] + ": " + std::strerror(rc);
        return false;
    }
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(readEnd.Get(), buffer, sizeof buffer);
        if (n > 0) {
            output.append(buffer, static_cast<std::size_t>(n));
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        break;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            error = std::string("waitpid: ") + std::strerror(errno);
            return false;
        }
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
    if (WIFSIGNALED(status))
        error = argv[0] + " killed by signal " + std::to_string(WTERMSIG(status));
    else
        error = argv[0] + " exited with status " + std::to_string(WEXITSTATUS(status));
    if (!output.empty()) error += ":\n" + Tail(output);
    return false;
}

std::vector<std::string> BuildEncodeCommand(const PlannedRecording& r, std::uint64_t seed,
                                            const std::filesystem::path& output)
{
    const std::string duration = std::to_string(r.durationSeconds);
    std::vector<std::string> a = {GetFfmpegProgram(), "-nostdin", "-hide_banner", "-v", "error", "-y"};

    const int streams = r.GetVideoStreamCount();
    // Engine and road noise; the generator's own seed keeps it the same for a card's seed.
    const std::uint64_t noiseSeed = (seed * 1000003u + static_cast<std::uint64_t>(ToEpochSeconds(r.start))) % 2147483647u;
    a.insert(a.end(), {"-f", "lavfi", "-i",
                       "anoisesrc=d=" + duration + ":c=brown:r=16000:a=0.05:seed=" + std::to_string(noiseSeed)});

    std::string graph;
    for (int i = 0; i < streams; ++i) {
        const std::string& label = r.vecChannelLabels[static_cast<std::size_t>(i)];
        if (!graph.empty()) graph += ";";
        graph += BuildScene(r, label, label == "REAR", "v" + std::to_string(i));
    }
    a.insert(a.end(), {"-filter_complex", graph});
    for (int i = 0; i < streams; ++i) a.insert(a.end(), {"-map", "[v" + std::to_string(i) + "]"});
    a.insert(a.end(), {"-map", "0:a"});

    const std::string gop = std::to_string(r.fps);
    switch (r.codec) {
    case VideoCodec::H264:
        a.insert(a.end(), {"-c:v", "libx264", "-preset", "veryfast", "-crf", "27", "-g", gop, "-pix_fmt", "yuv420p"});
        break;
    case VideoCodec::Hevc:
        a.insert(a.end(), {"-c:v", "libx265", "-preset", "ultrafast", "-crf", "30", "-g", gop, "-pix_fmt", "yuv420p",
                           "-tag:v", "hvc1", "-x265-params", "log-level=error:pools=none:frame-threads=1:info=0"});
        break;
    case VideoCodec::Mpeg4Part2:
        a.insert(a.end(), {"-c:v", "mpeg4", "-q:v", "5", "-g", gop});
        break;
    case VideoCodec::Mpeg1:
        a.insert(a.end(), {"-c:v", "mpeg1video", "-q:v", "5", "-g", "15"});
        break;
    }
    switch (r.container) {
    case Container::Mp4:
        a.insert(a.end(), {"-c:a", "aac", "-b:a", "48k", "-ac", "1", "-f", "mp4"});
        break;
    case Container::Avi:
        a.insert(a.end(), {"-c:a", "pcm_s16le", "-ac", "1", "-f", "avi"});
        break;
    case Container::MpegProgram:
        a.insert(a.end(), {"-c:a", "mp2", "-b:a", "64k", "-ac", "1", "-f", "mpeg"});
        break;
    }
    a.insert(a.end(), {"-threads", "1", "-filter_complex_threads", "1", "-fflags", "+bitexact", "-flags:v", "+bitexact",
                       "-flags:a", "+bitexact", "-map_metadata", "-1", "-map_chapters", "-1", "-t", duration,
                       output.string()});
    return a;
}

bool EncodeRecording(const PlannedRecording& recording, std::uint64_t seed, const std::filesystem::path& output,
                     std::string& error)
{
    std::string messages;
    if (!RunProgram(BuildEncodeCommand(recording, seed, output), messages, error)) {
        error = "encoding " + recording.strRelativePath + ": " + error;
        return false;
    }
    return true;
}

} // namespace samplecard
