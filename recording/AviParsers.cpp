#include "recording/AviParsers.h"

#include "recording/AviFile.h"
#include "recording/BoundedFile.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>

namespace {

// The record of one track step, in 32-bit little-endian words.
constexpr std::size_t kWordMarker = 0;
constexpr std::size_t kWordMarker2 = 1;
constexpr std::size_t kWordSensor = 10; // x, y, z
constexpr std::size_t kWordHemispheres = 13;
constexpr std::size_t kWordSpeed = 14;
constexpr std::size_t kWordLatitude = 15;
constexpr std::size_t kWordLongitude = 16;

// Data-stream records carry this signature; anything else in the stream is not a track step.
constexpr std::uint32_t kDataMarker = 511;
constexpr std::uint32_t kDataMarker2 = 0x3260A;

constexpr std::size_t kSensorRecordBytes = 12;
// The track arrays are sized by ints; 12 bytes of sensor data per step must still fit one.
constexpr int kMaxSteps = INT_MAX / static_cast<int>(kSensorRecordBytes);

std::uint32_t Word(const std::uint8_t* record, std::size_t word) { return LoadU32LE(record + word * 4); }
float FloatWord(const std::uint8_t* record, std::size_t word) { return LoadF32LE(record + word * 4); }

// NMEA "ddmm.mmmm" to decimal degrees, in single precision as the cameras' own tools do it.
// std::trunc keeps out-of-range values (and NaN) defined, unlike a cast to int.
float NmeaToDegrees(float value)
{
    const float degrees = std::trunc(value / 100.0f);
    return (value - degrees * 100.0f) / 60.0f + degrees;
}

void SetText(char (&field)[4], char c)
{
    std::memset(field, 0, sizeof field);
    field[0] = c;
}

} // namespace

CAviSimpleParser::CAviSimpleParser(int firstRecordOnly)
    : ISimpleParser(firstRecordOnly), m_pReadBuffer(std::make_unique<std::uint8_t[]>(kReadBufferSize))
{
}

CAviSimpleParser::~CAviSimpleParser() { ClearStorage(); }

int CAviSimpleParser::Reset()
{
    ClearStorage();
    return 0;
}

int CAviSimpleParser::Parse(const std::wstring& path)
{
    ClearStorage();
    try {
        CAviFile avi;
        if (!avi.Open(path)) return 0;
        bool textStream = true;
        int stream = avi.FindStream("txts");
        if (stream < 0) {
            textStream = false;
            stream = avi.FindStream("dats");
        }
        if (stream < 0) return 0;

        // The header's length is only a claim: a cut file holds fewer samples. A camera that lost
        // power before finishing its headers leaves the length at 0 although the samples are
        // there; then the samples present count, so the track of that recording is not lost.
        const AviStreamHeader* info = avi.GetStreamInfo(stream);
        const std::int64_t present = avi.GetSampleCount(stream);
        const std::int64_t claimed = info && info->length != 0 ? std::int64_t{info->length} : present;
        const int steps = static_cast<int>(std::min<std::int64_t>({claimed, present, kMaxSteps}));
        if (steps <= 0) return 0;

        m_vecGpsRecords.assign(static_cast<std::size_t>(steps), GpsFix::Zero());
        m_pSensorBytes = std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(steps) * kSensorRecordBytes);
        m_nGpsCount = steps;
        m_nSensorCount = steps;
        m_nSensorByteLength = steps * static_cast<int>(kSensorRecordBytes);

        const double nan = std::numeric_limits<double>::quiet_NaN();
        std::uint8_t* buf = m_pReadBuffer.get();
        for (int i = 0; i < steps; ++i) {
            // A short sample must not be completed with the bytes of the one before.
            std::memset(buf, 0, kReadBufferSize);
            if (avi.ReadSample(stream, i, buf, kReadBufferSize) < 0) continue;
            if (!textStream &&
                (Word(buf, kWordMarker) != kDataMarker || (Word(buf, kWordMarker2) & 0xFFFFFFu) != kDataMarker2))
                continue;

            GpsFix& fix = m_vecGpsRecords[static_cast<std::size_t>(i)];
            const float lat = FloatWord(buf, kWordLatitude);
            const float lon = FloatWord(buf, kWordLongitude);
            if (lat == 0.0f && lon == 0.0f) {
                fix.status[0] = 'V';
                fix.status[1] = 1;
                const double none = textStream ? nan : 0.0;
                fix.latitude = fix.longitude = fix.speedKmh = fix.course = none;
            } else {
                fix.status[0] = 'A';
                fix.status[1] = 1;
                double latitude = textStream ? NmeaToDegrees(lat) : lat;
                double longitude = textStream ? NmeaToDegrees(lon) : lon;
                const std::uint32_t hemispheres = Word(buf, kWordHemispheres);
                if ((hemispheres & 3u) == 1u) {
                    SetText(fix.latHemisphere, 'N');
                } else {
                    SetText(fix.latHemisphere, 'S');
                    latitude = -latitude;
                }
                if ((hemispheres & 12u) == 4u) {
                    SetText(fix.lonHemisphere, 'E');
                } else {
                    SetText(fix.lonHemisphere, 'W');
                    longitude = -longitude;
                }
                fix.latitude = latitude;
                fix.longitude = longitude;
                fix.speedKmh = FloatWord(buf, kWordSpeed);
                fix.course = textStream ? nan : 0.0;
            }
            std::memcpy(m_pSensorBytes.get() + static_cast<std::size_t>(i) * kSensorRecordBytes,
                        buf + kWordSensor * 4, kSensorRecordBytes);
            if (m_nFirstRecordOnly) break;
        }
    } catch (...) {
        // Only the track arrays can fail to allocate; a parser never throws at the holder.
        ClearStorage();
    }
    return 0;
}

CAviUserDataParser::CAviUserDataParser(int firstRecordOnly)
    : ISimpleParser(firstRecordOnly), m_pReadBuffer(std::make_unique<std::uint8_t[]>(kReadBufferSize))
{
}

CAviUserDataParser::~CAviUserDataParser() { ClearStorage(); }

int CAviUserDataParser::Parse(const std::wstring& /*path*/) { return -1; }

int CAviUserDataParser::Reset()
{
    ClearStorage();
    return 0;
}
