#pragma once

// The touch-scrolling arithmetic of the library's list, text and image views, apart from any
// window so that it can be driven tick by tick: dragging with an elastic overscroll, the release
// velocity from the recent movement samples, the decaying fling, the spring back past an end and
// the eased paging towards a target. Offsets are content pixels scrolled past the top; 0 is the
// top, GetMaxOffset() the bottom. The owner calls Tick() every kTickMs milliseconds while
// IsAnimating() holds.

#include <zent/bctrl/Export.h>

#include <array>
#include <cstdint>

namespace zent {

class ZENT_BCTRL_API CBmpFlingScroller {
public:
    static constexpr int kMaxOverscroll = 150;
    static constexpr int kSampleCount = 50;
    static constexpr int kTickMs = 50;
    static constexpr int kVelocityWindowMs = 500;
    static constexpr int kVelocityRecentMs = 200;

    static constexpr int kModeIdle = -1;
    static constexpr int kModeFling = 0;
    static constexpr int kModeSpringTop = 1;
    static constexpr int kModeSpringBottom = 2;
    static constexpr int kModePaging = 3;

    // The bottom end; negative values mean content shorter than the view (end 0).
    void SetMaxOffset(int maxOffset);
    int GetMaxOffset() const { return m_nMaxOffset; }
    // Places the content, held within the overscroll band; stops any animation.
    void SetOffset(int offset);
    int GetOffset() const { return m_nOffset; }

    // A press: stops any animation and forgets the samples.
    void Press();
    // A drag step: the offset moves by distance (held within the overscroll band) and the
    // step is recorded. timeStepMs is the time since the previous step.
    void DragBy(int timeStepMs, int distance);
    void AddSample(int timeStepMs, int distance);
    void ClearSamples();
    // Pixels per second in offset direction, from the newest samples; 0 without time.
    int ComputeVelocity() const;

    // The release of a drag: past an end springs back, a non-zero velocity flings, else it stays.
    // Returns the mode started.
    int Release();
    // Eases towards target (held to 0..end).
    void StartPaging(int target);
    void Stop() { m_nMode = kModeIdle; }

    // One animation step; false once the animation has ended.
    bool Tick();
    bool IsAnimating() const { return m_nMode != kModeIdle; }
    int GetMode() const { return m_nMode; }
    int GetVelocity() const { return m_nVelocity; }
    void SetVelocity(int velocity) { m_nVelocity = velocity; }
    // Pixels past the nearer end; 0 inside the range.
    int GetOverscroll() const;

    static int GetFlingBoost(int velocity);

private:
    struct SSample {
        std::int16_t nTime = 0;
        std::int16_t nDistance = 0;
    };
    int Clamp(int offset) const;
    void SpringOrStop();
    void TickFling();
    void TickSpring();
    void TickPaging();

    int m_nMaxOffset = 0;
    int m_nOffset = 0;
    int m_nVelocity = 0;
    int m_nMode = kModeIdle;
    int m_nTarget = 0;
    std::array<SSample, kSampleCount> m_kSamples{};
    int m_nSampleNext = 0;  // ring position of the next sample
    int m_nSampleCount = 0; // samples held, up to kSampleCount
};

} // namespace zent
