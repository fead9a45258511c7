#include "app/TorvixPlayerApp.h"

#include "app/CrashReport.h"
#include "app/Resources.h"
#include "app/TorvixPlayerDlg.h"
#include "diag/Trace.h"
#include "locale/AppFont.h"
#include "locale/LangRes.h"
#include "widgets/SkinLoader.h"

#include <zent/bctrl/BmpCtrl.h>
#include <zent/bctrl/BmpDialog.h>
#include <zent/platform/Font.h>
#include <zent/platform/Paths.h>
#include <zent/platform/Text.h>
#include <zent/platform/Trace.h>
#include <zent/platform/gtk/GtkPresenter.h>

#include <sys/utsname.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

using namespace zent;

#ifndef TORVIX_VERSION
#define TORVIX_VERSION "0"
#endif

CTorvixPlayerApp::CTorvixPlayerApp() = default;

CTorvixPlayerApp::~CTorvixPlayerApp()
{
    SetSkinLoader(nullptr);
}

bool CTorvixPlayerApp::ParseCommandLine(int argc, char** argv, Options& opt, std::string* pError)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == CSingleInstance::kRestartArgument) {
            opt.bRestart = true;
        } else if (arg == "--headless") {
            opt.bHeadless = true;
        } else if (arg == "--trace") {
            opt.bTrace = true;
        } else if (!arg.empty() && arg[0] == '-') {
            if (pError) *pError = "unknown option " + arg;
            return false;
        } else if (opt.strFolder.empty()) {
            std::error_code ec;
            std::filesystem::path folder = std::filesystem::absolute(arg, ec);
            if (ec || !std::filesystem::is_directory(folder, ec)) {
                if (pError) *pError = "not a folder: " + arg;
                return false;
            }
            opt.strFolder = PathToWide(folder.lexically_normal());
        } else {
            if (pError) *pError = "only one folder can be opened";
            return false;
        }
    }
    if (const char* env = std::getenv("TORVIX_HEADLESS"); env && std::strcmp(env, "1") == 0) opt.bHeadless = true;
    return true;
}

double CTorvixPlayerApp::GetOsMajorVersion()
{
    utsname u{};
    if (uname(&u) != 0) return 0.0;
    return std::strtod(u.release, nullptr);
}

bool CTorvixPlayerApp::InitInstance(const Options& opt, int* pExit)
{
    *pExit = 0;
    // 1. The crash report (written under the user's state folder; the program's folder is not
    // writable once installed).
    InstallCrashHandler({}, TORVIX_VERSION);
    if (opt.bTrace) SetTraceEnabled(true);

    // 2, 3. One instance: a second start brings the first forward and ends.
    m_hMutex = std::make_unique<CSingleInstance>();
    const CSingleInstance::Result result = m_hMutex->Acquire(opt.bRestart);
    if (result == CSingleInstance::Result::AnotherRunning) {
        TraceA("### %s - another instance runs", "CTorvixPlayerApp::InitInstance");
        m_hMutex->ActivateOther();
        return false;
    }

    // 4. The operating system's version, for the font choice.
    m_fOsMajor = GetOsMajorVersion();

    // 5. The language texts (index 3 shows the Korean texts).
    int langIndex = GetLanguageIndex();
    if (langIndex == kLangIndexDutch) langIndex = kLangIndexKorean;
    LoadLanguageFile(langIndex);
    SetAppFontLanguage(GetLanguageIndex(), m_fOsMajor);

    // 6. The speed figures' face, for this process only.
    if (void* font = AddEmbeddedFont()) m_arrFontHandle.push_back(font);

    // The window system. Every picture is drawn on the processor (cairo); GDK would otherwise
    // load the GL stack at start to choose visuals, which costs about 80 ms and, without a GPU,
    // Mesa's software rasteriser. A caller's own choice stands.
    setenv("GDK_GL", "disable", 0);
    std::string strError;
    std::unique_ptr<IPresenter> presenter = CreatePresenter(opt.bHeadless, &strError);
    if (!presenter) {
        std::fprintf(stderr, "TorvixPlayer: %s (use --headless to run without a display)\n", strError.c_str());
        *pExit = 1;
        return false;
    }
    m_pLoop = CMessageLoop::Create(std::move(presenter));
    if (!m_pLoop) {
        std::fprintf(stderr, "TorvixPlayer: no message loop\n");
        *pExit = 1;
        return false;
    }

    // 7. The skin. Without it every window still opens, drawn in plain colours.
    const std::filesystem::path skinFile = FindDataFile("TorvixPlayerImg.dat");
    if (m_loader.OpenMergeFile(PathToWide(skinFile), 1) < 2)
        std::fprintf(stderr, "TorvixPlayer: cannot read %s\n", skinFile.string().c_str());
    SetSkinLoader(&m_loader);
    SetDefaultResModule(&player::PlayerResources());
    // A desktop player: no click sounds.
    CBmpCtrl::SetTouchSound(0);
    CBmpDialog::m_bRemoconProgram = 0;
    return true;
}

int CTorvixPlayerApp::Run(const Options& opt)
{
    int nExit = 0;
    if (!InitInstance(opt, &nExit)) {
        ExitInstance();
        return nExit;
    }
    {
        // 8, 9. The top-level window, modal for the life of the program.
        CTorvixPlayerDlg dlg;
        dlg.GetDocument().m_strStartFolder = opt.strFolder;
        CSingleInstance* instance = m_hMutex.get();
        dlg.SetOnInitialised([instance](HWND hwnd) {
            instance->Listen([hwnd] { PostMessage(hwnd, WM_APP_ACTIVATE_INSTANCE, 0, 0); });
        });
        const INT_PTR result = dlg.DoModal();
        if (result == -1) TraceA("### %s - DoModal ended with -1", "CTorvixPlayerApp::InitInstance");
    }
    return ExitInstance();
}

int CTorvixPlayerApp::ExitInstance()
{
    // The listener goes before the windows it posts to.
    m_hMutex.reset();
    SetDefaultResModule(nullptr);
    SetSkinLoader(nullptr);
    m_loader.CloseMergeFile();
    for (void* font : m_arrFontHandle) RemoveFontMemResourceEx(font);
    m_arrFontHandle.clear();
    m_pLoop.reset();
    return 0;
}
