#include "quick/series_schedule.h"

#include <algorithm>

namespace quick {

SeriesSchedule::SeriesSchedule(std::uint64_t startMs, std::uint32_t intervalMs, std::uint32_t count) noexcept
    : m_start(startMs), m_interval(std::max<std::uint32_t>(intervalMs, 1)), m_count(count) {}

std::uint64_t SeriesSchedule::LatenessAllowedMs() const noexcept {
    return std::min<std::uint64_t>(m_interval / 2, 1000);
}

SeriesSchedule::Decision SeriesSchedule::Look(std::uint64_t nowMs) noexcept {
    Decision decision;
    if (Finished() || nowMs < NextDueMs())
        return decision;
    // The latest moment that has come; those before it passed without a look.
    const std::uint64_t latest = (nowMs - m_start) / m_interval;
    decision.slotsSkipped = latest - m_next;
    decision.shoot = nowMs - (m_start + latest * m_interval) <= LatenessAllowedMs();
    if (!decision.shoot)
        ++decision.slotsSkipped;
    m_next = latest + 1;
    return decision;
}

void SeriesSchedule::Taken() noexcept {
    if (!Finished())
        ++m_taken;
}

std::wstring SeriesButtonText(std::uint32_t taken, std::uint32_t count) {
    if (count == 0)
        return std::to_wstring(taken) + L"枚";
    return std::to_wstring(taken) + L"/" + std::to_wstring(count);
}

} // namespace quick
