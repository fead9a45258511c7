#pragma once

// The track holder of one recording: it owns one parser per known layout, offers the file to
// them in a fixed order, and reads the track of the one that found it.

#include "recording/GpsTypes.h"
#include "recording/ISimpleParser.h"

#include <array>
#include <memory>
#include <string>

class CTorvixGpsData {
public:
    // firstRecordOnly: the parsers stop after the first track step (first-fix reads).
    explicit CTorvixGpsData(int firstRecordOnly = 0);
    virtual ~CTorvixGpsData();
    CTorvixGpsData(const CTorvixGpsData&) = delete;
    CTorvixGpsData& operator=(const CTorvixGpsData&) = delete;

    // Resets every parser, then lets them try the file in order. Returns the selected parser
    // kind (0..4) or -1 when none found a track.
    int Load(const std::wstring& path);

    // Copies latitude, longitude, speedKmh and course of fix index into out (its texts stay).
    int GetGpsData(int index, GpsFix& out) const;
    // The sensor sample index; see the .cpp for the rules per parser.
    int GetSensorData(int index, float& x, float& y, float& z) const;
    bool IsValidGps() const;
    // The records of the selected parser, or null and count 0.
    const GpsFix* GetGpsArray(int& count) const;
    bool GetFirstValidGps(GpsFix& out) const;

    int GetSelected() const { return m_nSelected; }
    // The selected parser, or null.
    const ISimpleParser* GetSelectedParser() const;
    // Samples the graph reads (sensorCount of the selected parser), 0 without a track.
    int GetSensorCount() const;
    int GetGpsCount() const;

    // The first fix of a recording, read in first-record mode and cached per path for the life of
    // the program. A recording without a track gives the zero fix.
    static GpsFix GetFirstGpsOfFile(const std::wstring& path);
    static void ClearFirstGpsCache();

    // The track step for a play position: trunc(count * pos / len) in single precision, the track
    // being spread evenly over the recording. -1 when len is not positive.
    static int GetSampleIndex(int count, int pos, int len);

private:
    std::array<std::unique_ptr<ISimpleParser>, kParserKindCount> m_pParsers;
    int m_nSelected = -1; // -1: none found a track
};
