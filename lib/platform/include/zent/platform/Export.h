#pragma once

// Symbols of ZentPlatform that the program, the other libraries and the tests may use.
#if defined(ZENT_PLATFORM_BUILD)
#define ZENT_PLATFORM_API __attribute__((visibility("default")))
#else
#define ZENT_PLATFORM_API
#endif
