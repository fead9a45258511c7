#include "tools/samplecard/Mp4TrackWriters.h"

#include "tools/samplecard/NmeaText.h"

#include <limits>

namespace samplecard {

namespace {

constexpr std::uint64_t kU32Max = std::numeric_limits<std::uint32_t>::max();
// One step per second in the metadata track's own time scale.
constexpr std::uint32_t kTrackTimescale = 1000;

std::uint32_t Clamp32(std::uint64_t v) { return v > kU32Max ? static_cast<std::uint32_t>(kU32Max) : static_cast<std::uint32_t>(v); }

void PutIdentityMatrix(CByteWriter& w)
{
    const std::uint32_t matrix[9] = {0x00010000, 0, 0, 0, 0x00010000, 0, 0, 0, 0x40000000};
    for (const std::uint32_t v : matrix) w.PutU32BE(v);
}

CMp4Box MakeTkhd(std::uint32_t trackId, std::uint32_t duration)
{
    Bytes f;
    CByteWriter w(f);
    w.PutU32BE(0); // created
    w.PutU32BE(0); // modified
    w.PutU32BE(trackId);
    w.PutU32BE(0);
    w.PutU32BE(duration);
    w.PutZeros(8);
    w.PutU16BE(0); // layer
    w.PutU16BE(0); // alternate group
    w.PutU16BE(0); // volume
    w.PutU16BE(0);
    PutIdentityMatrix(w);
    w.PutU32BE(0); // width
    w.PutU32BE(0); // height
    return MakeFullBox("tkhd", 0, 1, f);
}

CMp4Box MakeMdhd(std::uint32_t duration)
{
    Bytes f;
    CByteWriter w(f);
    w.PutU32BE(0);
    w.PutU32BE(0);
    w.PutU32BE(kTrackTimescale);
    w.PutU32BE(duration);
    w.PutU16BE(0x55C4); // "und"
    w.PutU16BE(0);
    return MakeFullBox("mdhd", 0, 0, f);
}

CMp4Box MakeHdlr(std::string_view handler, std::string_view name)
{
    Bytes f;
    CByteWriter w(f);
    w.PutU32BE(0);
    w.PutText(handler);
    w.PutZeros(12);
    w.PutText(name);
    w.PutU8(0);
    return MakeFullBox("hdlr", 0, 0, f);
}

CMp4Box MakeDinf()
{
    Bytes f;
    CByteWriter w(f);
    w.PutU32BE(1);
    MakeFullBox("url ", 0, 1, {}).AppendTo(f); // the data is in this file
    return CMp4Box::MakeContainer("dinf", {MakeFullBox("dref", 0, 0, f)});
}

// A text-metadata sample entry: tools that do not know the camera's samples treat the track as
// opaque data rather than trying to decode it.
CMp4Box MakeStsd()
{
    Bytes entry;
    CByteWriter e(entry);
    e.PutZeros(6);
    e.PutU16BE(1); // data reference index
    e.PutU8(0);    // content encoding: none
    e.PutText("application/octet-stream");
    e.PutU8(0);
    Bytes f;
    CByteWriter w(f);
    w.PutU32BE(1);
    CMp4Box("mett", std::move(entry)).AppendTo(f);
    return MakeFullBox("stsd", 0, 0, f);
}

CMp4Box MakeSampleTable(const std::vector<std::uint32_t>& sizes, const std::vector<std::uint64_t>& offsets)
{
    const auto count = static_cast<std::uint32_t>(sizes.size());
    Bytes stts, stsc, stsz, stco;
    {
        CByteWriter w(stts);
        w.PutU32BE(1);
        w.PutU32BE(count);
        w.PutU32BE(kTrackTimescale);
    }
    {
        CByteWriter w(stsc);
        w.PutU32BE(1);
        w.PutU32BE(1); // first chunk
        w.PutU32BE(1); // one sample per chunk
        w.PutU32BE(1); // sample description
    }
    {
        CByteWriter w(stsz);
        w.PutU32BE(0); // sizes differ
        w.PutU32BE(count);
        for (const std::uint32_t s : sizes) w.PutU32BE(s);
    }
    {
        CByteWriter w(stco);
        w.PutU32BE(count);
        for (const std::uint64_t o : offsets) w.PutU32BE(static_cast<std::uint32_t>(o));
    }
    return CMp4Box::MakeContainer("stbl", {MakeStsd(), MakeFullBox("stts", 0, 0, stts), MakeFullBox("stsc", 0, 0, stsc),
                                           MakeFullBox("stsz", 0, 0, stsz), MakeFullBox("stco", 0, 0, stco)});
}

// The 16 binary bytes the receiver puts ahead of its sentences: UTC hour, minute and second and
// the step's number, little-endian.
void PutBlockTimeStamp(CByteWriter& w, const RouteStep& step)
{
    const CivilTime utc = FromEpochSeconds(step.localTime - kCameraUtcOffsetSeconds);
    w.PutU32LE(static_cast<std::uint32_t>(utc.hour));
    w.PutU32LE(static_cast<std::uint32_t>(utc.minute));
    w.PutU32LE(static_cast<std::uint32_t>(utc.second));
    w.PutU32LE(static_cast<std::uint32_t>(utc.year % 100 * 10000 + utc.month * 100 + utc.day));
}

// The "gps " blocks carry the sensor as raw counts that their readers scale by 1.5/1024.
void PutRawSensor(CByteWriter& w, const RouteStep& step)
{
    for (const std::int16_t g : step.g) w.PutF32LE(static_cast<float>(g));
}

} // namespace

Bytes BuildGpsBlock(const RouteStep& step)
{
    Bytes payload;
    CByteWriter p(payload);
    PutBlockTimeStamp(p, step);
    p.PutText(FormatGga(step) + "\r\n" + FormatRmc("GP", step) + "\r\n");
    PutRawSensor(p, step);

    Bytes block;
    CByteWriter w(block);
    w.PutU32BE(static_cast<std::uint32_t>(16 + payload.size()));
    w.PutText("free");
    w.PutText("GPS ");
    w.PutU32LE(static_cast<std::uint32_t>(payload.size()));
    w.PutBytes(payload);
    return block;
}

Bytes BuildNullMediaSample(const RouteStep& step, std::uint8_t sequence)
{
    const std::string gText = FormatGText(step.g[0]) + "," + FormatGText(step.g[1]) + "," + FormatGText(step.g[2]);
    const std::string position = FormatRmc("GN", step);
    Bytes sample;
    CByteWriter w(sample);
    w.PutU8(0xFD);
    w.PutU8(0x10);
    w.PutU8(sequence);
    w.PutU8('G');
    w.PutU8(static_cast<std::uint8_t>(gText.size()));
    w.PutText(gText);
    w.PutU8('g');
    w.PutU8(static_cast<std::uint8_t>(position.size()));
    w.PutText(position);
    return sample;
}

bool AddGpsIndexTrack(CCameraMp4& mp4, const std::vector<RouteStep>& steps, std::string& error)
{
    const auto makeIndex = [&steps](const std::vector<std::uint64_t>& offsets, const std::vector<std::uint32_t>& sizes) {
        Bytes c;
        CByteWriter w(c);
        w.PutU32BE(0x00000101); // version
        w.PutU32BE(static_cast<std::uint32_t>(steps.size()));
        for (std::size_t i = 0; i < steps.size(); ++i) {
            w.PutU32BE(i < offsets.size() ? static_cast<std::uint32_t>(offsets[i]) : 0);
            w.PutU32BE(i < sizes.size() ? sizes[i] : 0);
        }
        return CMp4Box("gps ", std::move(c));
    };
    // The index's size does not depend on its values: place it, then learn where the blocks go.
    mp4.AddMoovHeadBox(makeIndex({}, {}));
    std::uint64_t at = mp4.GetTrailingOffset();
    std::vector<std::uint64_t> offsets;
    std::vector<std::uint32_t> sizes;
    for (const RouteStep& step : steps) {
        Bytes block = BuildGpsBlock(step);
        if (at + block.size() > kU32Max) {
            error = "gps blocks beyond 32-bit offsets";
            return false;
        }
        offsets.push_back(at);
        sizes.push_back(static_cast<std::uint32_t>(block.size()));
        at += block.size();
        mp4.AddTrailingBox(CMp4Box("free", Bytes(block.begin() + 8, block.end())));
    }
    if (!mp4.ReplaceMoovHeadBox(0, makeIndex(offsets, sizes))) {
        error = "gps index changed size";
        return false;
    }
    return true;
}

bool AddNullMediaTrack(CCameraMp4& mp4, const std::vector<RouteStep>& steps, const std::string& cameraIdentity,
                       std::string& error)
{
    Bytes identity(cameraIdentity.begin(), cameraIdentity.end());
    identity.push_back(0);
    mp4.AddLeadBox(CMp4Box("AMBA", std::move(identity)));

    std::vector<std::uint32_t> sizes;
    std::vector<std::uint64_t> offsets;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Bytes sample = BuildNullMediaSample(steps[i], static_cast<std::uint8_t>(i));
        const std::uint64_t offset = mp4.AppendMediaData(sample);
        if (offset + sample.size() > kU32Max) {
            error = "metadata samples beyond 32-bit offsets";
            return false;
        }
        offsets.push_back(offset);
        sizes.push_back(static_cast<std::uint32_t>(sample.size()));
    }
    const std::uint32_t trackId = mp4.TakeNextTrackId();
    const std::uint64_t steps64 = steps.size();
    const std::uint32_t movieDuration = Clamp32(steps64 * mp4.GetMovieTimescale());
    const std::uint32_t mediaDuration = Clamp32(steps64 * kTrackTimescale);

    CMp4Box nmhd = MakeFullBox("nmhd", 0, 0, {});
    CMp4Box minf = CMp4Box::MakeContainer("minf", {std::move(nmhd), MakeDinf(), MakeSampleTable(sizes, offsets)});
    CMp4Box mdia = CMp4Box::MakeContainer(
        "mdia", {MakeMdhd(mediaDuration), MakeHdlr("meta", "CameraMetadata"), std::move(minf)});
    mp4.AddMoovTailBox(CMp4Box::MakeContainer("trak", {MakeTkhd(trackId, movieDuration), std::move(mdia)}));
    return true;
}

bool AddOlderBoxes(CCameraMp4& mp4, const std::vector<RouteStep>& steps, std::string& /*error*/)
{
    Bytes gpsr, sens;
    CByteWriter g(gpsr), s(sens);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const std::string sentence = FormatRmc("GP", steps[i]);
        g.PutU32LE(static_cast<std::uint32_t>(i));
        g.PutU32LE(static_cast<std::uint32_t>(sentence.size()));
        g.PutText(sentence);
        for (int axis = 0; axis < 3; ++axis) s.PutF32LE(GValue(steps[i], axis));
    }
    mp4.AddMoovTailBox(
        CMp4Box::MakeContainer("udta", {CMp4Box("GPSR", std::move(gpsr)), CMp4Box("SENS", std::move(sens))}));
    return true;
}

} // namespace samplecard
