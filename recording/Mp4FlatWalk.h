#pragma once

// The flat box walk shared by the parsers that step through an MP4 box by box, descending into
// containers by moving past their header only.

#include "recording/BoundedFile.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

// One header of the flat walk. The box's end never lies beyond the file.
struct Mp4FlatBox {
    std::uint64_t nStart = 0;
    std::uint64_t nHeaderLen = 8;
    std::uint64_t nEnd = 0;
    char type[4] = {};
    bool bEndsPastFile = false;

    bool Is(const char* t) const { return std::memcmp(type, t, 4) == 0; }
    std::uint64_t ContentStart() const { return nStart + nHeaderLen; }
};

// Containers: the walk goes on with their first child.
inline constexpr std::array<const char*, 6> kMp4FlatContainers = {"moov", "mdia", "minf", "stbl", "udta", "udat"};

template <std::size_t N> bool IsBoxTypeOneOf(const char* type, const std::array<const char*, N>& list)
{
    return std::any_of(list.begin(), list.end(), [type](const char* t) { return std::memcmp(type, t, 4) == 0; });
}

// Reads the header at pos. Size 0: the box runs to the end of the file (the flat walk keeps no
// parent). Size 1: a 64-bit size follows. False when the header cannot be read or its size is
// below its own length, which ends the walk.
bool ReadMp4FlatBoxHeader(CBoundedFile& file, std::uint64_t pos, Mp4FlatBox& box);
