#pragma once

// The track of MP4 recordings in the older layout: all NMEA sentences in one 'GPSR' box, all
// G-sensor samples as 12-byte records in one 'SENS' box.

#include "recording/BoundedFile.h"
#include "recording/Mp4FlatWalk.h"
#include "recording/ISimpleParser.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CMovieOldParser : public ISimpleParser {
public:
    explicit CMovieOldParser(int firstRecordOnly);
    ~CMovieOldParser() override;

    // Walks the box tree. 0 after the walk, -1 when the file cannot be opened. The parser claims
    // the file (non-zero counts) only when it holds 'GPSR' or 'SENS'; then sensorCount is the
    // video track's frame count.
    int Parse(const std::wstring& path) override;
    int Reset() override;

    // The complete entries (4 bytes, 32-bit little-endian length L, L bytes of text) at the
    // start of a 'GPSR' content; counting stops at the first entry that runs past it.
    static std::size_t CountGpsrEntries(const std::uint8_t* pContent, std::size_t nLength);
    // One sentence into a record: the parsed marker is 0 for a sentence that is not RMC, whose
    // fields are still decoded as if it were.
    static void DecodeSentence(std::string_view text, GpsFix& fix);

    // The 'GPSR' content as read (kept with the records).
    const std::vector<std::uint8_t>& GetGpsrContent() const { return m_vecGpsrContent; }

    static constexpr std::size_t kReadBufferSize = 1u << 20;
    // 'GPSR' and 'SENS' content beyond this is not read: at one step a second that is days of
    // track, and a damaged size must not make the parser hold most of a 4 GB recording.
    static constexpr std::uint64_t kMaxTrackBoxBytes = 64u << 20;

private:
    using Box = Mp4FlatBox;
    bool ReadHeader(std::uint64_t pos, Box& box);
    void ReadSens(const Box& box);
    void ReadGpsr(const Box& box);
    void DecodeGpsrEntries();

    CBoundedFile m_file;
    std::unique_ptr<std::uint8_t[]> m_pReadBuffer; // one entry's text, terminated
    std::vector<std::uint8_t> m_vecGpsrContent;

    // Walk state, from the start of Parse to the next Reset.
    std::uint64_t m_nPos = 0;
    bool m_bVideoTrack = false;
    bool m_bFoundGpsr = false;
    bool m_bFoundSens = false;
};
