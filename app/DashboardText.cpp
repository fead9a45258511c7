#include "app/DashboardText.h"

#include <cmath>
#include <cstdio>

std::wstring FormatPlayTime(int nSeconds)
{
    if (nSeconds < 0) nSeconds = 0;
    wchar_t text[32];
    std::swprintf(text, 32, L"%02d:%02d:%02d", nSeconds / 3600, nSeconds / 60 % 60, nSeconds % 60);
    return text;
}

std::wstring FormatSensorValue(wchar_t axis, float value)
{
    // Negative values are shown as they are: the half-up rounding is for the positive side only
    // (so -0.004 reads -0.00, not 0.00).
    const double shown = value < 0.0f ? static_cast<double>(value) : std::floor(static_cast<double>(value) * 100.0 + 0.5) / 100.0;
    wchar_t text[48];
    std::swprintf(text, 48, L"%lc : %.2f", static_cast<wint_t>(axis), shown);
    return text;
}
