#pragma once

// The skin's delivered sources (data/skin), read once per test program.

#include "tools/skin/SkinBuild.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace skintest {

inline const std::filesystem::path kSource = std::filesystem::path(TORVIX_SOURCE_DIR) / "data" / "skin";

struct Skin {
    torvix::skin::CSkinLayout layout;
    torvix::skin::CSkinTexts texts;
    Skin()
    {
        std::string error;
        EXPECT_TRUE(layout.Load(kSource / "layout.tsv", error)) << error;
        EXPECT_TRUE(texts.Load(kSource / "texts.tsv", error)) << error;
    }
};

inline const Skin& TheSkin()
{
    static const Skin skin;
    return skin;
}

} // namespace skintest
