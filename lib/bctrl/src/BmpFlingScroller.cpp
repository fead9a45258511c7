#include <zent/bctrl/BmpFlingScroller.h>

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace zent {

namespace {
constexpr double kFlingStepFactor = 0.08;
constexpr double kFlingDecay = 0.84;
constexpr double kPagingFactor = 0.45;
constexpr int kPagingLanding = 6;
constexpr int kSpringLanding = 3;

std::int16_t ToSample(int value)
{
    return static_cast<std::int16_t>(
        std::clamp<int>(value, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
}
} // namespace

void CBmpFlingScroller::SetMaxOffset(int maxOffset)
{
    m_nMaxOffset = std::max(maxOffset, 0);
    m_nOffset = Clamp(m_nOffset);
}

int CBmpFlingScroller::Clamp(int offset) const
{
    return std::clamp(offset, -kMaxOverscroll, m_nMaxOffset + kMaxOverscroll);
}

void CBmpFlingScroller::SetOffset(int offset)
{
    m_nMode = kModeIdle;
    m_nOffset = Clamp(offset);
}

void CBmpFlingScroller::Press()
{
    m_nMode = kModeIdle;
    m_nVelocity = 0;
    ClearSamples();
}

void CBmpFlingScroller::DragBy(int timeStepMs, int distance)
{
    const int before = m_nOffset;
    m_nOffset = Clamp(m_nOffset + distance);
    AddSample(timeStepMs, m_nOffset - before);
}

void CBmpFlingScroller::AddSample(int timeStepMs, int distance)
{
    // Times outside the 16-bit record are held to it; a negative step is no time at all.
    m_kSamples[m_nSampleNext] = SSample{ToSample(std::max(timeStepMs, 0)), ToSample(distance)};
    m_nSampleNext = (m_nSampleNext + 1) % kSampleCount;
    m_nSampleCount = std::min(m_nSampleCount + 1, kSampleCount);
}

void CBmpFlingScroller::ClearSamples()
{
    m_nSampleNext = 0;
    m_nSampleCount = 0;
}

int CBmpFlingScroller::ComputeVelocity() const
{
    long long total = 0;
    long long distance = 0;
    for (int i = 0; i < m_nSampleCount && total < kVelocityWindowMs; ++i) {
        const SSample& s = m_kSamples[(m_nSampleNext - 1 - i + kSampleCount) % kSampleCount];
        total += s.nTime;
        if (total < kVelocityRecentMs) distance += s.nDistance;
    }
    if (total <= 0) return 0;
    return static_cast<int>(distance * 1000 / total);
}

int CBmpFlingScroller::GetOverscroll() const
{
    if (m_nOffset < 0) return -m_nOffset;
    if (m_nOffset > m_nMaxOffset) return m_nOffset - m_nMaxOffset;
    return 0;
}

void CBmpFlingScroller::SpringOrStop()
{
    if (m_nOffset < 0) m_nMode = kModeSpringTop;
    else if (m_nOffset > m_nMaxOffset) m_nMode = kModeSpringBottom;
    else m_nMode = kModeIdle;
}

int CBmpFlingScroller::Release()
{
    m_nVelocity = 0;
    if (GetOverscroll() > 0) {
        SpringOrStop();
        return m_nMode;
    }
    m_nVelocity = ComputeVelocity();
    m_nMode = m_nVelocity != 0 ? kModeFling : kModeIdle;
    return m_nMode;
}

void CBmpFlingScroller::StartPaging(int target)
{
    m_nTarget = std::clamp(target, 0, m_nMaxOffset);
    m_nVelocity = 0;
    m_nMode = kModePaging;
}

int CBmpFlingScroller::GetFlingBoost(int velocity)
{
    const int speed = std::abs(velocity);
    int boost = 20;
    if (speed > 600) boost = 200;
    else if (speed > 300) boost = 140;
    else if (speed > 200) boost = 120;
    else if (speed > 100) boost = 100;
    else if (speed > 50) boost = 60;
    else if (speed > 20) boost = 40;
    return velocity < 0 ? -boost : boost;
}

void CBmpFlingScroller::TickFling()
{
    const double step = (m_nVelocity + GetFlingBoost(m_nVelocity)) * kFlingStepFactor;
    const int moved = m_nOffset + static_cast<int>(step);
    m_nOffset = Clamp(moved);
    const int velocity = static_cast<int>((m_nVelocity + step) * kFlingDecay);
    if (moved != m_nOffset) {
        // Held at the overscroll limit: the content springs back from there.
        m_nVelocity = 0;
        SpringOrStop();
        return;
    }
    if (velocity == m_nVelocity) {
        m_nVelocity = 0;
        SpringOrStop();
        return;
    }
    m_nVelocity = velocity;
}

void CBmpFlingScroller::TickSpring()
{
    const int overscroll = GetOverscroll();
    if (overscroll == 0) {
        m_nMode = kModeIdle;
        return;
    }
    const int end = m_nOffset < 0 ? 0 : m_nMaxOffset;
    if (overscroll > kSpringLanding) {
        const int half = overscroll / 2;
        m_nOffset = m_nOffset < 0 ? -half : m_nMaxOffset + half;
        return;
    }
    m_nOffset = end;
    m_nMode = kModeIdle;
}

void CBmpFlingScroller::TickPaging()
{
    const int remaining = m_nTarget - m_nOffset;
    if (std::abs(remaining) <= kPagingLanding) {
        m_nOffset = m_nTarget;
        m_nMode = kModeIdle;
        return;
    }
    m_nOffset += static_cast<int>(remaining * kPagingFactor);
}

bool CBmpFlingScroller::Tick()
{
    switch (m_nMode) {
    case kModeFling: TickFling(); break;
    case kModeSpringTop:
    case kModeSpringBottom: TickSpring(); break;
    case kModePaging: TickPaging(); break;
    default: break;
    }
    return IsAnimating();
}

} // namespace zent
