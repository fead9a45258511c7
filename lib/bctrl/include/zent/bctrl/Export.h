#pragma once

// Symbols of ZentBCtrl that the program and the tests may use.
#if defined(ZENT_BCTRL_BUILD)
#define ZENT_BCTRL_API __attribute__((visibility("default")))
#else
#define ZENT_BCTRL_API
#endif
