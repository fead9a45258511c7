#pragma once

// Reads the layout of a RIFF/WAVE image: its format and where its samples lie. Wave files come
// from anywhere, so the reader walks the chunks rather than trusting the canonical 44-byte
// header, never reads outside the bytes it is given, and refuses what the player cannot play
// instead of playing bytes with a guessed format.
//
// Internal to ZentUtil; exported only so that the tests and the fuzz harness reach it.

#include <zent/platform/PcmOutput.h>
#include <zent/util/Export.h>
#include <zent/util/SndPl.h>

#include <cstddef>
#include <cstdint>

enum class WavStatus {
    Ok,
    NotRiffWave, // too short, or not "RIFF" .... "WAVE"
    NoFormat,    // no "fmt " chunk inside the image
    BadFormat,   // a "fmt " chunk too short for its tag, or whose numbers contradict each other
    Unsupported, // a well-formed format that is not uncompressed integer or float PCM we play
    NoData,      // no "data" chunk, or not one whole sample frame in it
};

struct WavLayout {
    WavStatus status = WavStatus::NotRiffWave;
    ZuWaveFormat format;                           // reduced to tag 1 or 3, bits = container size
    zent::PcmSample sample = zent::PcmSample::S16; // the same as the output layer names it
    std::size_t dataOffset = 0;                    // from the start of the image
    std::size_t dataLength = 0;                    // whole sample frames only, inside the image
};

class ZENT_UTIL_API CWavReader {
public:
    // The RIFF image's own idea of its length, RIFF size + 8, from its first 12 bytes (no
    // wrap-around); 0 when they are not "RIFF" .... "WAVE".
    static std::uint64_t GetImageLength(const std::uint8_t* pFirst12);

    // Walks the chunks of the nSize bytes at pData. The walk ends at the image's RIFF end when
    // that lies inside the bytes, else at their end (a file cut short, or one whose writer never
    // filled in the size). Chunks of odd size are followed by a pad byte. The first "fmt " and
    // the first "data" chunk count; a data chunk that claims more than is there is cut to the
    // whole frames that are.
    static WavLayout Parse(const std::uint8_t* pData, std::size_t nSize);
};
