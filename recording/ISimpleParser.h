#pragma once

// The interface behind which each embedded-track layout has its parser, and the storage that
// every parser fills for the track holder (CTorvixGpsData reads it directly).

#include "recording/GpsTypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class ISimpleParser {
public:
    virtual ~ISimpleParser() = default;
    // Reads the recording and fills the storage; never throws. The holder ignores the result
    // and looks at the counts.
    virtual int Parse(const std::wstring& path) = 0;
    // Releases the sample arrays and zeroes all counts; returns 0.
    virtual int Reset() = 0;

    ISimpleParser(const ISimpleParser&) = delete;
    ISimpleParser& operator=(const ISimpleParser&) = delete;

    // Storage. Only the owning parser writes it; the holder reads it on the same thread.
    int m_nFirstRecordOnly = 0;          // non-zero: stop after the first track step
    int m_nSensorCount = 0;              // G-sensor samples the graph reads
    int m_nGpsCount = 0;                 // entries of m_vecGpsRecords
    std::vector<GpsFix> m_vecGpsRecords; // m_nGpsCount records
    // 12-byte sensor records (three little-endian floats); null when the parser has none.
    std::unique_ptr<std::uint8_t[]> m_pSensorBytes;
    // Parsers 0-2: bytes in m_pSensorBytes; parser 4: samples in m_vecSensorFloats; parser 3: 12 x samples.
    int m_nSensorByteLength = 0;
    std::vector<SensorSample> m_vecSensorFloats; // parsers 3 and 4

protected:
    explicit ISimpleParser(int firstRecordOnly) : m_nFirstRecordOnly(firstRecordOnly) {}

    // Shared by the Reset of every parser.
    void ClearStorage()
    {
        m_nSensorCount = 0;
        m_nGpsCount = 0;
        m_vecGpsRecords.clear();
        m_vecGpsRecords.shrink_to_fit();
        m_pSensorBytes.reset();
        m_nSensorByteLength = 0;
        m_vecSensorFloats.clear();
        m_vecSensorFloats.shrink_to_fit();
    }
};

// Parser kinds in the fixed order of trial.
enum ParserKind : int {
    kParserMovieOld = 0,
    kParserAviSimple = 1,
    kParserAviUserData = 2,
    kParserAmba = 3,
    kParserNovatek = 4,
    kParserKindCount = 5,
};

// A new parser of the given kind, or null for any kind outside 0..4.
std::unique_ptr<ISimpleParser> CreateParser(int kind, int firstRecordOnly);

// The class name of a parser kind ("NovatekParser", ...), or "" for none.
const char* ParserKindName(int kind);
