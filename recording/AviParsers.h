#pragma once

// The track of older cameras that write AVI: an extra stream ("txts" or "dats") with one small
// binary record per track step. CAviUserDataParser stands for a layout that was never used and
// never finds a track, so the file goes on to the next parser.

#include "recording/ISimpleParser.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class CAviSimpleParser : public ISimpleParser {
public:
    explicit CAviSimpleParser(int firstRecordOnly);
    ~CAviSimpleParser() override;

    // Always 0; the counts say whether a track was found.
    int Parse(const std::wstring& path) override;
    int Reset() override;

    static constexpr std::size_t kReadBufferSize = 1024;

private:
    std::unique_ptr<std::uint8_t[]> m_pReadBuffer; // one stream sample
};

class CAviUserDataParser : public ISimpleParser {
public:
    explicit CAviUserDataParser(int firstRecordOnly);
    ~CAviUserDataParser() override;

    // Always -1; nothing is read and the counts stay 0.
    int Parse(const std::wstring& path) override;
    int Reset() override;

    static constexpr std::size_t kReadBufferSize = 1024;

private:
    std::unique_ptr<std::uint8_t[]> m_pReadBuffer;
};
