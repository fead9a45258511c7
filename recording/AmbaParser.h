#pragma once

// The track of MP4 recordings that keep it as the samples of a null-media ('nmhd') track: each
// sample holds a short G-sensor text and one NMEA RMC sentence.

#include "recording/BoundedFile.h"
#include "recording/Mp4FlatWalk.h"
#include "recording/ISimpleParser.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class AmbaParser : public ISimpleParser {
public:
    explicit AmbaParser(int firstRecordOnly);
    ~AmbaParser() override;

    // Walks the box tree and decodes the null-media track. 0 after the walk, -1 when the file
    // cannot be opened. Counts stay 0 unless a null-media track with readable samples is found.
    int Parse(const std::wstring& path) override;
    int Reset() override;

    // Decodes one sample (0xFD 0x10 ? 'G' L1 text 'g' L2 sentence) into fix and sensor; a sample
    // of another layout leaves both untouched. Lengths that run past the sample are cut to it.
    static void DecodeSample(const std::uint8_t* pData, std::size_t nSize, GpsFix& fix, SensorSample& sensor);
    // "x,y,z" in g; an axis of 15 g or more, or a missing axis, is 99.0 (no sample).
    static SensorSample ParseGSensorText(std::string_view text);

    static constexpr std::size_t kReadBufferSize = 1u << 20;

private:
    using Box = Mp4FlatBox;
    bool ReadHeader(std::uint64_t pos, Box& box);
    void ReadSampleSizes(const Box& box);
    void ReadChunkOffsetsAndDecode(const Box& box);
    void DecodeTrack(const std::vector<std::uint32_t>& vecOffsets);

    CBoundedFile m_file;
    std::unique_ptr<std::uint8_t[]> m_pReadBuffer; // one sample, or one part of the offset table

    // Walk state, from the start of Parse to the next Reset.
    std::uint64_t m_nPos = 0;
    bool m_bNullMediaTrack = false; // the current 'trak' has a null media header
    bool m_bTrackDecoded = false;   // the first null-media track with samples has been read
    std::uint32_t m_nSampleCount = 0;
    std::uint32_t m_nUniformSampleSize = 0; // non-zero: every sample has this size, no table
    std::vector<std::uint32_t> m_vecSampleSizes;
};
