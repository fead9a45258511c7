#pragma once

// The application: start-up (crash report, single instance, language, fonts, skin file), the one
// modal top-level window for the life of the program, and what shutdown releases.
//
//   TorvixPlayer [FOLDER] [--restart] [--headless] [--trace]

#include "app/SingleInstance.h"

#include <zent/platform/MessageLoop.h>
#include <zent/util/QLBMLoader.h>

#include <memory>
#include <string>
#include <vector>

class CTorvixPlayerApp {
public:
    struct Options {
        std::wstring strFolder;
        bool bRestart = false;
        bool bHeadless = false;
        bool bTrace = false;
    };

    CTorvixPlayerApp();
    ~CTorvixPlayerApp();
    CTorvixPlayerApp(const CTorvixPlayerApp&) = delete;
    CTorvixPlayerApp& operator=(const CTorvixPlayerApp&) = delete;

    // False with a message in *pError for a command line that cannot be used.
    static bool ParseCommandLine(int argc, char** argv, Options& opt, std::string* pError);

    // The whole life of the program; the process exit status.
    int Run(const Options& opt);

    // The kernel's major version, 0 when unknown (the interface font choice reads it).
    static double GetOsMajorVersion();

private:
    // False: the program ends now with *pExit (another instance came forward, or no display).
    bool InitInstance(const Options& opt, int* pExit);
    int ExitInstance();

    std::unique_ptr<CSingleInstance> m_hMutex;
    std::vector<void*> m_arrFontHandle;
    std::unique_ptr<zent::CMessageLoop> m_pLoop;
    zent::QLBMLoader m_loader;
    double m_fOsMajor = 0.0;
};
