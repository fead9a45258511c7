#pragma once

// What the player must read back from a recording of the card: for each track layout, the
// records and sensor samples its parser makes of the steps that were written, following the
// layout's own rules (which fields it keeps, where it clamps, which numbers it computes in
// single precision).

#include "recording/GpsTypes.h"
#include "tools/samplecard/Route.h"

#include <vector>

namespace samplecard {

enum class TrackLayout {
    None,          // no track at all
    GpsIndex,      // "gps " index in 'moov' with GPSR+SENS blocks
    NullMedia,     // metadata track with a null media header
    AviText,       // AVI "txts" stream of binary records
    AviData,       // AVI "dats" stream of binary records
    OlderBoxes,    // 'GPSR' and 'SENS' boxes
};

const char* TrackLayoutName(TrackLayout layout);

// The parser kind that must claim a recording of this layout (-1 for none).
int ParserKindOf(TrackLayout layout);

struct ExpectedTrack {
    TrackLayout layout = TrackLayout::None;
    int parserKind = -1;
    std::vector<GpsFix> vecFixes;
    std::vector<SensorSample> vecSensors;
    // Degrees a latitude or longitude may differ by, where the parser converts in single
    // precision; 0 means exact.
    double positionTolerance = 0.0;
};

ExpectedTrack BuildExpectedTrack(TrackLayout layout, const std::vector<RouteStep>& steps);

} // namespace samplecard
