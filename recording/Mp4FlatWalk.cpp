#include "recording/Mp4FlatWalk.h"

bool ReadMp4FlatBoxHeader(CBoundedFile& file, std::uint64_t pos, Mp4FlatBox& box)
{
    std::uint8_t raw[8];
    if (!file.ReadAt(pos, raw, sizeof raw)) return false;
    box = Mp4FlatBox{};
    box.nStart = pos;
    std::memcpy(box.type, raw + 4, 4);
    std::uint64_t nSize = LoadU32BE(raw);
    const std::uint64_t nLeft = file.Size() - pos;
    if (nSize == 0) {
        nSize = nLeft;
    } else if (nSize == 1) {
        if (!file.ReadU64BE(pos + 8, nSize)) return false;
        box.nHeaderLen = 16;
    }
    if (nSize < box.nHeaderLen) return false;
    box.bEndsPastFile = nSize > nLeft;
    box.nEnd = box.bEndsPastFile ? file.Size() : pos + nSize;
    return true;
}
