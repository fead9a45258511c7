#pragma once

// The trace channel that stands in for the debugger output: lines go to standard error when
// tracing is on (TORVIX_TRACE=1 in the environment, or SetTraceEnabled(true) for "--trace").
// Off, a trace costs one relaxed atomic load.

#include <zent/platform/Export.h>

#include <string_view>

namespace zent {

ZENT_PLATFORM_API bool IsTraceEnabled();
ZENT_PLATFORM_API void SetTraceEnabled(bool on);

// Writes text as it stands (no line end added); whole writes from different threads do not
// interleave inside one call.
ZENT_PLATFORM_API void TraceWrite(std::string_view text);

} // namespace zent
