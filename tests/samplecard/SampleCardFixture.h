#pragma once

// The sample card the media tests read: the one the test run's fixture wrote (its folder comes
// from TORVIX_SAMPLECARD, its seed is the fixture's), or, when the tests run on their own
// without it, one written here once for the whole run.

#include "tools/samplecard/CardPlan.h"
#include "tools/samplecard/CardWriter.h"
#include "tools/samplecard/FfmpegEncode.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>

namespace samplecard_test {

// torvix-samplecard <build>/samplecard --seed 7, as the test run writes it; a card of another
// seed can be checked by naming it in TORVIX_SAMPLECARD_SEED.
inline std::uint64_t GetFixtureSeed()
{
    const char* env = std::getenv("TORVIX_SAMPLECARD_SEED");
    return env && *env ? std::strtoull(env, nullptr, 10) : 7;
}

inline const samplecard::CardPlan& GetFixturePlan()
{
    static const samplecard::CardPlan plan = samplecard::PlanCard(GetFixtureSeed());
    return plan;
}

inline std::filesystem::path GetCardDir()
{
    static std::once_flag once;
    static std::filesystem::path dir;
    std::call_once(once, [] {
        const char* env = std::getenv("TORVIX_SAMPLECARD");
        dir = env && *env ? std::filesystem::path(env) : std::filesystem::path(TORVIX_SAMPLECARD_DIR);
        if (std::filesystem::exists(dir / "ver.txt")) return;
        std::string error;
        if (!samplecard::WriteCard(dir, GetFixtureSeed(), error)) ADD_FAILURE() << "writing the card: " << error;
    });
    return dir;
}

inline std::filesystem::path GetCardPath(const samplecard::PlannedRecording& r)
{
    return GetCardDir() / std::filesystem::path(r.strRelativePath);
}

// What `ffmpeg -v error -i path -f null -` prints; "(failed: ...)" when it fails to run or
// exits with an error.
inline std::string DecodeErrors(const std::filesystem::path& path)
{
    std::string output, error;
    if (!samplecard::RunProgram({samplecard::GetFfmpegProgram(), "-nostdin", "-v", "error", "-i", path.string(), "-f",
                                 "null", "-"},
                                output, error))
        return "(failed: " + error + ")";
    return output;
}

// A scratch folder removed at the end of a test.
class CTempDir {
public:
    CTempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "samplecard-test-XXXXXX").string();
        if (::mkdtemp(pattern.data())) m_path = pattern;
    }
    ~CTempDir()
    {
        std::error_code ec;
        if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
    }
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;
    const std::filesystem::path& Get() const { return m_path; }

private:
    std::filesystem::path m_path;
};

} // namespace samplecard_test
