#pragma once

// The texts of the dashboard beside the video: the play-time label and the G-sensor read-out.

#include <string>

// "%02d:%02d:%02d" of whole seconds (hours, minutes, seconds); negative counts as 0.
std::wstring FormatPlayTime(int nSeconds);
// One read-out label, "X : %.2f": a value rounded to two decimals as floor(v * 100 + 0.5) / 100,
// except that a negative value is shown as it is (so -0.004 reads -0.00).
std::wstring FormatSensorValue(wchar_t axis, float value);
