// Wave files come from anywhere: any bytes must parse to a layout that stays inside them, or be
// refused; and whatever parses must play (to ALSA's "null" device) without reading outside the
// image, at whatever volume level.
#include "lib/util/src/WavReader.h"

#include <zent/util/SndPl.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const bool nullDevice = [] { return setenv("TORVIX_ALSA_DEVICE", "null", 1) == 0; }();
    (void)nullDevice;

    const WavLayout layout = CWavReader::Parse(data, size);
    if (layout.status == WavStatus::Ok) {
        const ZuWaveFormat& f = layout.format;
        if (layout.dataOffset > size || layout.dataLength > size - layout.dataOffset) __builtin_trap();
        if (layout.dataLength == 0 || f.nBlockAlign == 0 || layout.dataLength % f.nBlockAlign != 0) __builtin_trap();
        if (f.nBlockAlign != f.nChannels * (f.wBitsPerSample / 8)) __builtin_trap();
        if (f.wFormatTag != 1 && f.wFormatTag != 3) __builtin_trap();
    } else if (layout.dataLength != 0) {
        __builtin_trap();
    }

    static SndPl player;
    player.SetVolume(static_cast<std::uint16_t>(size % 16));
    // Synchronous, so that the sound has been read to its end before the bytes go away.
    const int played = player.SndPlay(data, size, nullptr, kSndMemory);
    if (played && layout.status != WavStatus::Ok) __builtin_trap();
    player.SndStop();
    return 0;
}
