// zentbctrl-gallery: every control family of ZentBCtrl on screens of a dialog stack, over a skin
// drawn at start. It logs each message a control sends to its dialog, one line each, which is
// what the UI tests read.
//
//   zentbctrl-gallery [--headless] [--screen NAME] [--log FILE] [--exit-after MS] [--snapshot FILE]

#include "GalleryLog.h"
#include "GalleryScreens.h"
#include "GallerySkin.h"

#include <zent/bctrl/BmpDialog.h>
#include <zent/platform/Image.h>
#include <zent/platform/MessageLoop.h>
#include <zent/platform/Window.h>
#include <zent/platform/gtk/GtkPresenter.h>
#include <zent/platform/headless/HeadlessPresenter.h>

#include <glib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

namespace {

using namespace zent;
using namespace gallery;

struct SOptions {
    bool bHeadless = false;
    std::string strScreen = "buttons";
    const char* pLog = nullptr;
    long nExitAfterMs = -1;
    const char* pSnapshot = nullptr;
};

void Usage()
{
    std::fprintf(stderr,
                 "usage: zentbctrl-gallery [--headless] [--screen buttons|lists|view|touch|keyboard|about]\n"
                 "                         [--log FILE] [--exit-after MS] [--snapshot FILE.png]\n");
}

bool ParseOptions(int argc, char** argv, SOptions& opt)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool bHasValue = i + 1 < argc;
        if (arg == "--headless") {
            opt.bHeadless = true;
        } else if (arg == "--screen" && bHasValue) {
            opt.strScreen = argv[++i];
        } else if (arg == "--log" && bHasValue) {
            opt.pLog = argv[++i];
        } else if (arg == "--exit-after" && bHasValue) {
            char* pEnd = nullptr;
            opt.nExitAfterMs = std::strtol(argv[++i], &pEnd, 10);
            if (!pEnd || *pEnd || opt.nExitAfterMs < 0) {
                std::fprintf(stderr, "zentbctrl-gallery: --exit-after wants milliseconds\n");
                return false;
            }
        } else if (arg == "--snapshot" && bHasValue) {
            opt.pSnapshot = argv[++i];
        } else {
            std::fprintf(stderr, "zentbctrl-gallery: unknown or incomplete option %s\n", arg.c_str());
            return false;
        }
    }
    if (ScreenId(opt.strScreen) == 0) {
        std::fprintf(stderr, "zentbctrl-gallery: unknown screen %s\n", opt.strScreen.c_str());
        return false;
    }
    return true;
}

// The skin goes where per-user runtime files go, and is removed at exit.
class CSkinFile {
public:
    CSkinFile()
    {
        std::filesystem::path dir = g_get_user_runtime_dir();
        std::error_code ec;
        if (dir.empty() || !std::filesystem::is_directory(dir, ec)) dir = std::filesystem::temp_directory_path(ec);
        m_path = dir / ("zentbctrl-gallery-" + std::to_string(getpid()) + ".dat");
    }
    ~CSkinFile()
    {
        std::error_code ec;
        std::filesystem::remove(m_path, ec);
    }
    CSkinFile(const CSkinFile&) = delete;
    CSkinFile& operator=(const CSkinFile&) = delete;
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

constexpr UINT_PTR kExitTimer = 1;

} // namespace

int main(int argc, char** argv)
{
    SOptions opt;
    if (!ParseOptions(argc, argv, opt)) {
        Usage();
        return 2;
    }
    if (!CGalleryLog::Open(opt.pLog)) {
        std::fprintf(stderr, "zentbctrl-gallery: cannot write %s\n", opt.pLog);
        return 1;
    }

    std::string strError;
    std::unique_ptr<IPresenter> pPresenter = CreatePresenter(opt.bHeadless, &strError);
    if (!pPresenter) {
        std::fprintf(stderr, "zentbctrl-gallery: %s (use --headless to run without a display)\n", strError.c_str());
        return 1;
    }
    auto* pHeadless = dynamic_cast<CHeadlessPresenter*>(pPresenter.get());
    std::unique_ptr<CMessageLoop> pLoop = CMessageLoop::Create(std::move(pPresenter));
    if (!pLoop) {
        std::fprintf(stderr, "zentbctrl-gallery: no message loop\n");
        return 1;
    }

    CSkinFile skin;
    if (!WriteGallerySkin(skin.Path(), &strError)) {
        std::fprintf(stderr, "zentbctrl-gallery: %s\n", strError.c_str());
        return 1;
    }
    QLBMLoader loader;
    if (loader.OpenMergeFile(skin.Path().wstring(), 1) < 2) {
        std::fprintf(stderr, "zentbctrl-gallery: cannot read the skin it wrote\n");
        return 1;
    }

    // Nobody needs to hear the gallery; without this every press would look for a sound device.
    CBmpCtrl::SetTouchSound(0);
    // Arrow keys and Enter drive the focus navigator of each screen, as on a remote control.
    CBmpDialog::m_bRemoconProgram = 1;
    SetDefaultResModule(&GalleryResources());
    CGalleryFactory factory(&loader);
    CInDlgDocument document;
    int nExit = 0;
    {
        CGalleryMain main(&factory, &document);
        if (!main.Create(IDD_GALLERY_MAIN, nullptr)) {
            std::fprintf(stderr, "zentbctrl-gallery: cannot create the main window\n");
            return 1;
        }
        ShowWindow(main.GetSafeHwnd(), SW_SHOW);
        if (!main.ShowInDlg(ScreenId(opt.strScreen), 0)) {
            std::fprintf(stderr, "zentbctrl-gallery: cannot show the %s screen\n", opt.strScreen.c_str());
            return 1;
        }
        // A hidden window of its own ends the run when asked to, whatever screen is on top.
        HWND hwndExit = nullptr;
        if (opt.nExitAfterMs >= 0) {
            hwndExit = CreateWindowEx(0, L"GalleryExit", L"", WS_POPUP, 0, 0, 1, 1, nullptr, 0,
                                      [](HWND, UINT message, WPARAM, LPARAM) -> LRESULT {
                                          if (message == WM_TIMER) PostQuitMessage(0);
                                          return 0;
                                      });
            SetTimer(hwndExit, kExitTimer, static_cast<UINT>(opt.nExitAfterMs));
        }
        pLoop->PumpUntilIdle();
        CGalleryLog::Line("ready screen=" + opt.strScreen);
        nExit = pLoop->Run();
        if (opt.pSnapshot && pHeadless) {
            if (!SaveBitmapAsPng(pHeadless->GetScreen(main.GetSafeHwnd()), std::filesystem::path(opt.pSnapshot).wstring()))
                std::fprintf(stderr, "zentbctrl-gallery: cannot write %s\n", opt.pSnapshot);
        }
    }
    SetDefaultResModule(nullptr);
    CGalleryLog::Line("exit code=" + std::to_string(nExit));
    return nExit;
}
