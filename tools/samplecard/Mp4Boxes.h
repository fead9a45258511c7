#pragma once

// MP4 box trees as the cameras write them, rebuilt from what the ffmpeg program writes.
//
// The players of the cameras' tracks walk the box tree flat and stop at the first box type they
// do not know, so a recording must hold nothing else on their path: ffmpeg's own extras (the
// 'udta'/'meta' tag boxes, the AAC track's 'sgpd'/'sbgp' groups, 64-bit 'co64' tables) are
// dropped or rewritten, and the file is laid out as a camera lays it out: 'ftyp', the media data,
// then 'moov' with the movie header and the tracks.

#include "tools/samplecard/ByteWriter.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace samplecard {

class CMp4Box {
public:
    CMp4Box() = default;
    // A box with content of its own.
    CMp4Box(std::string_view type, Bytes content);
    // A box that holds only boxes.
    static CMp4Box MakeContainer(std::string_view type, std::vector<CMp4Box> children);

    std::string GetType() const { return std::string(m_szType, 4); }
    bool IsType(std::string_view type) const { return type.size() == 4 && std::string_view(m_szType, 4) == type; }
    // Whole box, header included (16-byte header when the size needs 64 bits).
    std::uint64_t GetSize() const;
    void AppendTo(Bytes& out) const;

    CMp4Box* FindChild(std::string_view type);
    const CMp4Box* FindChild(std::string_view type) const;
    // Keeps only the children whose type is listed, in their order.
    void KeepChildren(const std::vector<std::string_view>& types);

    char m_szType[4] = {' ', ' ', ' ', ' '};
    bool m_bContainer = false;
    Bytes m_vecContent;                 // everything after the header (leaves)
    std::vector<CMp4Box> m_vecChildren; // containers
    std::uint64_t m_nSourceOffset = 0;  // where ParseBoxes found the box
    std::uint64_t m_nSourceHeader = 8;  // and the length of its header there
};

// Parses boxes from bytes; the types in containers are descended into, all others are kept as
// leaves. False with a reason when a size does not fit.
bool ParseBoxes(const std::uint8_t* data, std::size_t size, const std::vector<std::string_view>& containers,
                std::vector<CMp4Box>& out, std::string& error, int depth = 0);

// Full-box helpers: version and flags, then the fields.
CMp4Box MakeFullBox(std::string_view type, std::uint8_t version, std::uint32_t flags, const Bytes& fields);

// The handler type of a 'trak' ("vide", "soun", ...), empty when it has none.
std::string GetHandlerType(const CMp4Box& trak);

// A recording written by ffmpeg, taken apart and put together again the camera's way, with room
// for a track layout: boxes before the media data, samples appended to the media data, boxes in
// 'moov' before and after the tracks, and boxes after 'moov'.
class CCameraMp4 {
public:
    bool Load(const std::filesystem::path& path, std::string& error);

    // Order of use: lead boxes first, then media data, since the media data's position follows
    // from them.
    void AddLeadBox(CMp4Box box) { m_vecLeadBoxes.push_back(std::move(box)); }
    // Appends bytes at the end of the media data; returns their offset in the written file.
    std::uint64_t AppendMediaData(const Bytes& bytes);

    // Children of 'moov' right after 'mvhd'.
    void AddMoovHeadBox(CMp4Box box) { m_vecMoovHead.push_back(std::move(box)); }
    // Children of 'moov' after the tracks.
    void AddMoovTailBox(CMp4Box box) { m_vecMoovTail.push_back(std::move(box)); }
    // Replaces a box added with AddMoovHeadBox by one of the same size.
    bool ReplaceMoovHeadBox(std::size_t index, CMp4Box box);
    // Where the first box after 'moov' will start, with 'moov' as it stands.
    std::uint64_t GetTrailingOffset() const;
    void AddTrailingBox(CMp4Box box) { m_vecTrailing.push_back(std::move(box)); }

    std::uint32_t GetMovieTimescale() const;
    std::uint64_t GetMovieDuration() const;
    // The track id a new track takes; counts up with each call.
    std::uint32_t TakeNextTrackId();
    const CMp4Box& GetMoov() const { return m_moov; }

    bool Save(const std::filesystem::path& path, std::string& error) const;

private:
    std::uint64_t GetMediaDataStart() const; // offset of the media data's first byte
    std::uint64_t GetMediaDataHeaderSize() const;
    CMp4Box BuildMoov(std::string* error) const;

    CMp4Box m_ftyp;
    std::vector<CMp4Box> m_vecLeadBoxes;
    Bytes m_vecMediaData;
    std::uint64_t m_nOriginalMediaStart = 0; // where ffmpeg put the media data's first byte
    CMp4Box m_moov;                          // 'mvhd' and the tracks, cleaned
    std::vector<CMp4Box> m_vecMoovHead;
    std::vector<CMp4Box> m_vecMoovTail;
    std::vector<CMp4Box> m_vecTrailing;
};

} // namespace samplecard
