#pragma once

// The track of MP4 recordings that list one data block per track step in a "gps " index box
// inside 'moov'. Each block holds NMEA text (the GPSR part) and one G-sensor sample (the SENS part).

#include "recording/BoundedFile.h"
#include "recording/ISimpleParser.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class NovatekParser : public ISimpleParser {
public:
    explicit NovatekParser(int firstRecordOnly);
    ~NovatekParser() override;

    // 0 after a normal walk (also when the file cannot be opened: no track), -1 when the index is
    // missing or malformed (storage released). Never throws.
    int Parse(const std::wstring& path) override;
    int Reset() override;

    // One entry of the "gps " index.
    struct GpsBlockRef {
        std::uint32_t nOffset = 0; // file offset of the block
        std::uint32_t nSize = 0;   // size limit of the block
    };

    enum class IndexResult {
        Found,   // the index was read (it may hold no entries)
        NoTrack, // the file could not be opened, or the index lies beyond the file: no track, no failure
        Failed,  // no 'moov' / "gps " box, or a malformed index box
    };

    struct GpsIndex {
        IndexResult eResult = IndexResult::NoTrack;
        std::vector<GpsBlockRef> vecBlocks;
        std::string strError; // the diagnostic text when eResult is not Found
    };

    // One block split into its two parts.
    struct GpsBlock {
        std::string strPosition;             // the GPSR part: L - 12 bytes
        std::array<std::uint8_t, 12> sensor; // the SENS part: three little-endian floats
    };

    struct BlockResult {
        std::optional<GpsBlock> block;
        std::string strError; // set when block is empty
    };

    // Opens path (kept open for ReadBlock) and reads the index. Diagnostics go to standard error.
    GpsIndex FindGpsIndex(const std::wstring& path);
    // Reads one block of the file FindGpsIndex opened.
    BlockResult ReadBlock(std::uint32_t nOffset, std::uint32_t nSizeLimit);
    // The fix of the first valid "$GPRMC" line of a GPSR part, or none.
    static std::optional<GpsFix> ParseGpsText(std::string_view payload);
    // The raw SENS part converted to g: raw / 1024 x 1.5, clamped to [-2, 2] (NaN stays NaN).
    static SensorSample ConvertSensor(const std::array<std::uint8_t, 12>& raw);

    // A block payload above this is refused as too large: the GPSR text of a track step is a few
    // hundred bytes, and the whole payload is held in memory.
    static constexpr std::uint32_t kMaxPayloadLength = 1u << 20;

private:
    CBoundedFile m_file;
};
