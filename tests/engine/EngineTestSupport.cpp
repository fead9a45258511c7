#include "engine/EngineTestSupport.h"

#include <zent/platform/Messages.h>

#include <cstdlib>
#include <random>
#include <thread>

namespace fs = std::filesystem;
using namespace zent;

namespace enginetest {

namespace {
// Without a sound device libvlc's default audio output retries and floods standard error.
const bool s_bVlcArgs = [] {
    setenv("TORVIX_VLC_ARGS", "--aout=adummy --quiet", 0);
    return true;
}();
} // namespace

CPlayerStage::CPlayerStage(int nViews)
{
    (void)s_bVlcArgs;
    m_pLoop = CMessageLoop::Create(std::make_unique<CHeadlessPresenter>(CHeadlessPresenter::ClockMode::Real));
    m_hTop = CreateWindowEx(0, L"EngineStage", L"", WS_POPUP | WS_VISIBLE, 0, 0, 1300, 400, nullptr, 0,
                            [this](HWND hwnd, UINT msg, WPARAM w, LPARAM l) -> LRESULT {
                                if (msg == WM_FFMPEG_PLAY_POS || msg == WM_FFMPEG_PLAY_END) {
                                    m_vecMessages.push_back({msg, static_cast<int>(w), static_cast<int>(l),
                                                             std::chrono::steady_clock::now()});
                                    return 0;
                                }
                                return DefWindowProc(hwnd, msg, w, l);
                            });
    for (int i = 0; i < nViews; ++i) {
        auto view = std::make_unique<COglViewWnd>();
        view->Create(RECT{i * 325, 0, i * 325 + 320, 180}, m_hTop, static_cast<UINT>(100 + i));
        m_vecViews.push_back(std::move(view));
    }
}

CPlayerStage::~CPlayerStage()
{
    m_vecViews.clear();
    if (m_hTop) DestroyWindow(m_hTop);
}

std::array<HWND, 4> CPlayerStage::ViewHandles() const
{
    std::array<HWND, 4> h{};
    for (std::size_t i = 0; i < m_vecViews.size() && i < 4; ++i) h[i] = m_vecViews[i]->GetSafeHwnd();
    return h;
}

std::unique_ptr<CFFMpegPlayerEx> CPlayerStage::MakePlayer()
{
    auto p = std::make_unique<CFFMpegPlayerEx>(ViewHandles());
    p->m_hNotifyWnd = m_hTop;
    return p;
}

bool CPlayerStage::PumpUntil(const std::function<bool()>& pred, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        m_pLoop->PumpUntilIdle(100);
        if (pred()) return true;
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

void CPlayerStage::PumpFor(std::chrono::milliseconds span)
{
    PumpUntil([] { return false; }, span);
}

std::vector<PostedMessage> CPlayerStage::MessagesOf(UINT message) const
{
    std::vector<PostedMessage> out;
    for (const auto& m : m_vecMessages)
        if (m.message == message) out.push_back(m);
    return out;
}

fs::path Card()
{
    const char* env = std::getenv("TORVIX_SAMPLECARD");
    return fs::path(env && *env ? env : TORVIX_SAMPLECARD_DIR);
}

fs::path FindOnCard(const std::string& relative)
{
    return Card() / relative;
}

CTempDir::CTempDir()
{
    std::random_device rd;
    m_path = fs::temp_directory_path() / ("torvix-engine-" + std::to_string(rd()));
    fs::create_directories(m_path);
}

CTempDir::~CTempDir()
{
    std::error_code ec;
    fs::remove_all(m_path, ec);
}

static bool RunQuiet(const std::string& cmd)
{
    return std::system((cmd + " >/dev/null 2>&1").c_str()) == 0;
}

bool MakeQuarterClip(const fs::path& file, int width, int height, int seconds)
{
    const std::string filter = "color=c=black:s=" + std::to_string(width) + "x" + std::to_string(height) +
                               ":d=" + std::to_string(seconds) +
                               ":r=25,format=gbrp,geq=r='if(lt(X,W/2),255,0)':g='if(lt(Y,H/2),255,0)':b='128'";
    return RunQuiet("ffmpeg -nostdin -y -v error -f lavfi -i \"" + filter +
                    "\" -c:v libx264 -preset ultrafast -pix_fmt yuv420p -g 25 '" + file.string() + "'");
}

bool MakeTestsrcClip(const fs::path& file, int width, int height, int seconds, bool withAudio)
{
    std::string cmd = "ffmpeg -nostdin -y -v error -f lavfi -i testsrc=s=" + std::to_string(width) + "x" +
                      std::to_string(height) + ":r=30:d=" + std::to_string(seconds);
    if (withAudio) cmd += " -f lavfi -i sine=d=" + std::to_string(seconds) + " -c:a aac";
    cmd += " -c:v libx264 -preset veryfast -pix_fmt yuv420p -g 30 '" + file.string() + "'";
    return RunQuiet(cmd);
}

} // namespace enginetest
