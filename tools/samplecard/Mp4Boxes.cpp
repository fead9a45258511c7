#include "tools/samplecard/Mp4Boxes.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <limits>
#include <system_error>

namespace samplecard {

namespace {

constexpr int kMaxDepth = 16;
constexpr std::uint64_t kU32Max = std::numeric_limits<std::uint32_t>::max();

bool ReadWholeFile(const std::filesystem::path& path, Bytes& out, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot open " + path.string();
        return false;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size < 0) {
        error = "cannot size " + path.string();
        return false;
    }
    out.resize(static_cast<std::size_t>(size));
    if (size > 0 && !in.read(reinterpret_cast<char*>(out.data()), size)) {
        error = "cannot read " + path.string();
        return false;
    }
    return true;
}

// Chunk offsets of ffmpeg's tables, as 64-bit numbers: 'stco' or 'co64'.
bool ReadChunkOffsets(const CMp4Box& table, std::vector<std::uint64_t>& out)
{
    const Bytes& c = table.m_vecContent;
    if (c.size() < 8) return false;
    const std::uint32_t count = ReadU32BE(c.data() + 4);
    const std::size_t width = table.IsType("co64") ? 8 : 4;
    if ((c.size() - 8) / width < count) return false;
    out.resize(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::uint8_t* p = c.data() + 8 + std::size_t{i} * width;
        out[i] = width == 8 ? ReadU64BE(p) : ReadU32BE(p);
    }
    return true;
}

CMp4Box MakeStco(const std::vector<std::uint64_t>& offsets)
{
    Bytes fields;
    CByteWriter w(fields);
    w.PutU32BE(static_cast<std::uint32_t>(offsets.size()));
    for (const std::uint64_t o : offsets) w.PutU32BE(static_cast<std::uint32_t>(o));
    return MakeFullBox("stco", 0, 0, fields);
}

// Only what both flat walkers know stays on their path.
bool CleanTrack(CMp4Box& trak, std::string& error)
{
    trak.KeepChildren({"tkhd", "edts", "mdia"});
    CMp4Box* mdia = trak.FindChild("mdia");
    CMp4Box* minf = mdia ? mdia->FindChild("minf") : nullptr;
    CMp4Box* stbl = minf ? minf->FindChild("stbl") : nullptr;
    if (!stbl) {
        error = "track without a sample table";
        return false;
    }
    mdia->KeepChildren({"mdhd", "hdlr", "minf"});
    minf->KeepChildren({"vmhd", "smhd", "dinf", "stbl"});
    for (CMp4Box& child : stbl->m_vecChildren) {
        if (!child.IsType("co64")) continue;
        std::vector<std::uint64_t> offsets;
        if (!ReadChunkOffsets(child, offsets)) {
            error = "malformed co64";
            return false;
        }
        child = MakeStco(offsets); // range-checked when the offsets move
    }
    stbl->KeepChildren({"stsd", "stts", "stss", "ctts", "stsc", "stsz", "stco"});
    if (!stbl->FindChild("stco")) {
        error = "track without chunk offsets";
        return false;
    }
    return true;
}

} // namespace

CMp4Box::CMp4Box(std::string_view type, Bytes content) : m_vecContent(std::move(content))
{
    std::memcpy(m_szType, type.data(), std::min<std::size_t>(type.size(), 4));
}

CMp4Box CMp4Box::MakeContainer(std::string_view type, std::vector<CMp4Box> children)
{
    CMp4Box box(type, {});
    box.m_bContainer = true;
    box.m_vecChildren = std::move(children);
    return box;
}

std::uint64_t CMp4Box::GetSize() const
{
    std::uint64_t body = 0;
    if (m_bContainer) {
        for (const CMp4Box& child : m_vecChildren) body += child.GetSize();
    } else {
        body = m_vecContent.size();
    }
    return body + 8 > kU32Max ? body + 16 : body + 8;
}

void CMp4Box::AppendTo(Bytes& out) const
{
    CByteWriter w(out);
    const std::uint64_t size = GetSize();
    if (size > kU32Max) {
        w.PutU32BE(1);
        w.PutText(std::string_view(m_szType, 4));
        w.PutU64BE(size);
    } else {
        w.PutU32BE(static_cast<std::uint32_t>(size));
        w.PutText(std::string_view(m_szType, 4));
    }
    if (m_bContainer) {
        for (const CMp4Box& child : m_vecChildren) child.AppendTo(out);
    } else {
        w.PutBytes(m_vecContent);
    }
}

CMp4Box* CMp4Box::FindChild(std::string_view type)
{
    for (CMp4Box& child : m_vecChildren)
        if (child.IsType(type)) return &child;
    return nullptr;
}

const CMp4Box* CMp4Box::FindChild(std::string_view type) const
{
    for (const CMp4Box& child : m_vecChildren)
        if (child.IsType(type)) return &child;
    return nullptr;
}

void CMp4Box::KeepChildren(const std::vector<std::string_view>& types)
{
    std::erase_if(m_vecChildren, [&types](const CMp4Box& child) {
        return std::none_of(types.begin(), types.end(), [&child](std::string_view t) { return child.IsType(t); });
    });
}

bool ParseBoxes(const std::uint8_t* data, std::size_t size, const std::vector<std::string_view>& containers,
                std::vector<CMp4Box>& out, std::string& error, int depth)
{
    if (depth > kMaxDepth) {
        error = "boxes nested too deep";
        return false;
    }
    std::size_t pos = 0;
    while (pos < size) {
        if (size - pos < 8) {
            error = "truncated box header";
            return false;
        }
        std::uint64_t boxSize = ReadU32BE(data + pos);
        std::size_t header = 8;
        if (boxSize == 1) {
            if (size - pos < 16) {
                error = "truncated 64-bit box header";
                return false;
            }
            boxSize = ReadU64BE(data + pos + 8);
            header = 16;
        } else if (boxSize == 0) {
            boxSize = size - pos;
        }
        if (boxSize < header || boxSize > size - pos) {
            error = "box size out of range";
            return false;
        }
        CMp4Box box(std::string_view(reinterpret_cast<const char*>(data + pos + 4), 4), {});
        box.m_nSourceOffset = pos;
        box.m_nSourceHeader = header;
        const std::uint8_t* content = data + pos + header;
        const std::size_t contentSize = static_cast<std::size_t>(boxSize) - header;
        const bool bContainer = std::any_of(containers.begin(), containers.end(),
                                            [&box](std::string_view t) { return box.IsType(t); });
        if (bContainer) {
            box.m_bContainer = true;
            if (!ParseBoxes(content, contentSize, containers, box.m_vecChildren, error, depth + 1)) return false;
        } else {
            box.m_vecContent.assign(content, content + contentSize);
        }
        out.push_back(std::move(box));
        pos += static_cast<std::size_t>(boxSize);
    }
    return true;
}

CMp4Box MakeFullBox(std::string_view type, std::uint8_t version, std::uint32_t flags, const Bytes& fields)
{
    Bytes content;
    CByteWriter w(content);
    w.PutU32BE((std::uint32_t{version} << 24) | (flags & 0xFFFFFFu));
    w.PutBytes(fields);
    return CMp4Box(type, std::move(content));
}

std::string GetHandlerType(const CMp4Box& trak)
{
    const CMp4Box* mdia = trak.FindChild("mdia");
    const CMp4Box* hdlr = mdia ? mdia->FindChild("hdlr") : nullptr;
    if (!hdlr || hdlr->m_vecContent.size() < 12) return {};
    return std::string(reinterpret_cast<const char*>(hdlr->m_vecContent.data() + 8), 4);
}

bool CCameraMp4::Load(const std::filesystem::path& path, std::string& error)
{
    Bytes file;
    if (!ReadWholeFile(path, file, error)) return false;
    std::vector<CMp4Box> top;
    if (!ParseBoxes(file.data(), file.size(), {"moov", "trak", "mdia", "minf", "stbl"}, top, error)) {
        error = path.string() + ": " + error;
        return false;
    }
    bool bFtyp = false, bMdat = false, bMoov = false;
    for (CMp4Box& box : top) {
        if (box.IsType("ftyp") && !bFtyp) {
            m_ftyp = std::move(box);
            bFtyp = true;
        } else if (box.IsType("mdat")) {
            if (bMdat) {
                error = path.string() + ": more than one mdat";
                return false;
            }
            m_nOriginalMediaStart = box.m_nSourceOffset + box.m_nSourceHeader;
            m_vecMediaData = std::move(box.m_vecContent);
            bMdat = true;
        } else if (box.IsType("moov") && !bMoov) {
            m_moov = std::move(box);
            bMoov = true;
        }
    }
    if (!bFtyp || !bMdat || !bMoov) {
        error = path.string() + ": ftyp, mdat or moov missing";
        return false;
    }
    m_moov.KeepChildren({"mvhd", "trak"});
    if (!m_moov.FindChild("mvhd")) {
        error = path.string() + ": no movie header";
        return false;
    }
    for (CMp4Box& trak : m_moov.m_vecChildren) {
        if (trak.IsType("trak") && !CleanTrack(trak, error)) {
            error = path.string() + ": " + error;
            return false;
        }
    }
    return true;
}

std::uint64_t CCameraMp4::GetMediaDataHeaderSize() const
{
    return m_vecMediaData.size() + 8 > kU32Max ? 16 : 8;
}

std::uint64_t CCameraMp4::GetMediaDataStart() const
{
    std::uint64_t pos = m_ftyp.GetSize();
    for (const CMp4Box& box : m_vecLeadBoxes) pos += box.GetSize();
    return pos + GetMediaDataHeaderSize();
}

std::uint64_t CCameraMp4::AppendMediaData(const Bytes& bytes)
{
    const std::uint64_t offset = GetMediaDataStart() + m_vecMediaData.size();
    m_vecMediaData.insert(m_vecMediaData.end(), bytes.begin(), bytes.end());
    return offset;
}

bool CCameraMp4::ReplaceMoovHeadBox(std::size_t index, CMp4Box box)
{
    if (index >= m_vecMoovHead.size() || m_vecMoovHead[index].GetSize() != box.GetSize()) return false;
    m_vecMoovHead[index] = std::move(box);
    return true;
}

std::uint64_t CCameraMp4::GetTrailingOffset() const
{
    return GetMediaDataStart() + m_vecMediaData.size() + BuildMoov(nullptr).GetSize();
}

std::uint32_t CCameraMp4::GetMovieTimescale() const
{
    const CMp4Box* mvhd = m_moov.FindChild("mvhd");
    if (!mvhd || mvhd->m_vecContent.size() < 32) return 1000;
    return ReadU32BE(mvhd->m_vecContent.data() + (mvhd->m_vecContent[0] == 1 ? 20 : 12));
}

std::uint64_t CCameraMp4::GetMovieDuration() const
{
    const CMp4Box* mvhd = m_moov.FindChild("mvhd");
    if (!mvhd || mvhd->m_vecContent.size() < 32) return 0;
    const std::uint8_t* c = mvhd->m_vecContent.data();
    return c[0] == 1 ? ReadU64BE(c + 24) : ReadU32BE(c + 16);
}

std::uint32_t CCameraMp4::TakeNextTrackId()
{
    CMp4Box* mvhd = m_moov.FindChild("mvhd");
    const std::size_t at = mvhd && !mvhd->m_vecContent.empty() && mvhd->m_vecContent[0] == 1 ? 108 : 96;
    if (!mvhd || mvhd->m_vecContent.size() < at + 4) return 0;
    const std::uint32_t id = ReadU32BE(mvhd->m_vecContent.data() + at);
    WriteU32BE(mvhd->m_vecContent.data() + at, id + 1);
    return id;
}

CMp4Box CCameraMp4::BuildMoov(std::string* error) const
{
    // ffmpeg's chunk offsets move with its media data.
    const std::int64_t delta =
        static_cast<std::int64_t>(GetMediaDataStart()) - static_cast<std::int64_t>(m_nOriginalMediaStart);
    std::vector<CMp4Box> children;
    children.push_back(*m_moov.FindChild("mvhd"));
    children.insert(children.end(), m_vecMoovHead.begin(), m_vecMoovHead.end());
    for (const CMp4Box& child : m_moov.m_vecChildren) {
        if (!child.IsType("trak")) continue;
        CMp4Box trak = child;
        CMp4Box* stco = trak.FindChild("mdia")->FindChild("minf")->FindChild("stbl")->FindChild("stco");
        std::vector<std::uint64_t> offsets;
        if (!ReadChunkOffsets(*stco, offsets)) {
            if (error) *error = "malformed stco";
            offsets.clear();
        }
        for (std::uint64_t& o : offsets) {
            const std::int64_t moved = static_cast<std::int64_t>(o) + delta;
            if (moved < 0 || static_cast<std::uint64_t>(moved) > kU32Max) {
                if (error) *error = "chunk offset beyond 32 bits";
                o = 0;
            } else {
                o = static_cast<std::uint64_t>(moved);
            }
        }
        *stco = MakeStco(offsets);
        children.push_back(std::move(trak));
    }
    children.insert(children.end(), m_vecMoovTail.begin(), m_vecMoovTail.end());
    return CMp4Box::MakeContainer("moov", std::move(children));
}

bool CCameraMp4::Save(const std::filesystem::path& path, std::string& error) const
{
    std::string moovError;
    const CMp4Box moov = BuildMoov(&moovError);
    if (!moovError.empty()) {
        error = path.string() + ": " + moovError;
        return false;
    }
    Bytes out;
    m_ftyp.AppendTo(out);
    for (const CMp4Box& box : m_vecLeadBoxes) box.AppendTo(out);
    CByteWriter w(out);
    const std::uint64_t mdatSize = GetMediaDataHeaderSize() + m_vecMediaData.size();
    if (GetMediaDataHeaderSize() == 16) {
        w.PutU32BE(1);
        w.PutText("mdat");
        w.PutU64BE(mdatSize);
    } else {
        w.PutU32BE(static_cast<std::uint32_t>(mdatSize));
        w.PutText("mdat");
    }
    w.PutBytes(m_vecMediaData);
    moov.AppendTo(out);
    for (const CMp4Box& box : m_vecTrailing) box.AppendTo(out);

    // Written aside and renamed, so that a failed run never leaves half a recording.
    std::filesystem::path temp = path;
    temp += ".part";
    {
        std::ofstream file(temp, std::ios::binary | std::ios::trunc);
        if (!file || !file.write(reinterpret_cast<const char*>(out.data()), static_cast<std::streamsize>(out.size()))) {
            error = "cannot write " + temp.string();
            return false;
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        error = "cannot rename " + temp.string();
        return false;
    }
    return true;
}

} // namespace samplecard
