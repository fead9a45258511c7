#pragma once

// Where something happened in a recording, found before it plays: the seconds at which the
// G-sensor leaves the vehicle's resting reading by more than an event threshold, for marks on the
// position bar.

#include <vector>

// The G-sensor deviation (in g, all three axes together) from the recording's resting reading
// that counts as an event.
inline constexpr float kEventThresholdG = 0.5f;

// x, y, z: one G-sensor sample each over the recording (99 or more: no sample), spread evenly over
// nDuration seconds. One second per burst (bursts closer than 3 seconds are one), in order; with
// bEventClass also second 0, where the camera saved the event.
std::vector<int> FindEventSeconds(const std::vector<float>& x, const std::vector<float>& y, const std::vector<float>& z,
                                  int nDuration, bool bEventClass, float threshold = kEventThresholdG);
