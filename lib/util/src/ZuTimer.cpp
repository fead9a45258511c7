#include <zent/util/ZuTimer.h>

#include <zent/platform/Ipc.h>

CZuTimer::CZuTimer() : m_llFrequency(zent::QueryHighResFrequency())
{
    m_llStart = zent::QueryHighResCounter();
    m_llStop = m_llStart;
}

void CZuTimer::Start() { m_llStart = zent::QueryHighResCounter(); }

double CZuTimer::Stop()
{
    m_llStop = zent::QueryHighResCounter();
    if (m_llFrequency == 0) return -1.0;
    // Whole seconds and the remainder apart: the product with 1000 cannot overflow, and the
    // result keeps the counter's resolution however long the interval.
    const std::int64_t elapsed = m_llStop - m_llStart;
    const std::int64_t seconds = elapsed / m_llFrequency;
    const std::int64_t rest = elapsed % m_llFrequency;
    return static_cast<double>(seconds) * 1000.0 + static_cast<double>(rest) * 1000.0 / static_cast<double>(m_llFrequency);
}
