// TorvixPlayer: the player program. Everything happens in the application object.

#include "app/TorvixPlayerApp.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    CTorvixPlayerApp::Options opt;
    std::string error;
    if (!CTorvixPlayerApp::ParseCommandLine(argc, argv, opt, &error)) {
        std::fprintf(stderr, "TorvixPlayer: %s\nusage: TorvixPlayer [FOLDER] [--restart] [--headless] [--trace]\n",
                     error.c_str());
        return 2;
    }
    CTorvixPlayerApp app;
    return app.Run(opt);
}
