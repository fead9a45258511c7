#include "app/EventMarks.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kNoSample = 99.0f;
constexpr int kBurstGapSeconds = 3;

// The median of the valid samples of one axis: the resting reading, whatever way the camera is
// mounted.
float RestingValue(const std::vector<float>& axis)
{
    std::vector<float> valid;
    for (float v : axis)
        if (std::fabs(v) < kNoSample && std::isfinite(v)) valid.push_back(v);
    if (valid.empty()) return 0.0f;
    std::nth_element(valid.begin(), valid.begin() + static_cast<long>(valid.size() / 2), valid.end());
    return valid[valid.size() / 2];
}

} // namespace

std::vector<int> FindEventSeconds(const std::vector<float>& x, const std::vector<float>& y, const std::vector<float>& z,
                                  int nDuration, bool bEventClass, float threshold)
{
    std::vector<int> seconds;
    if (bEventClass) seconds.push_back(0);
    const std::size_t n = std::min({x.size(), y.size(), z.size()});
    if (n == 0 || nDuration <= 0) return seconds;
    const float rx = RestingValue(x), ry = RestingValue(y), rz = RestingValue(z);
    for (std::size_t i = 0; i < n; ++i) {
        if (std::fabs(x[i]) >= kNoSample || std::fabs(y[i]) >= kNoSample || std::fabs(z[i]) >= kNoSample) continue;
        const float dx = x[i] - rx, dy = y[i] - ry, dz = z[i] - rz;
        if (!(std::sqrt(dx * dx + dy * dy + dz * dz) > threshold)) continue;
        const int second = static_cast<int>(static_cast<long long>(i) * nDuration / static_cast<long long>(n));
        if (!seconds.empty() && second - seconds.back() < kBurstGapSeconds) continue;
        seconds.push_back(second);
    }
    return seconds;
}
