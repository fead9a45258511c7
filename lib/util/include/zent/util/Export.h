#pragma once

// Symbols of ZentUtil that the program, ZentBCtrl and the tests may use.
#if defined(ZENT_UTIL_BUILD)
#define ZENT_UTIL_API __attribute__((visibility("default")))
#else
#define ZENT_UTIL_API
#endif
