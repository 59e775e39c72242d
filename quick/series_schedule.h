#pragma once
// When the shots of a series are due: shot k at start + k x interval on one monotonic clock, so that late
// timers never add up to a drift. A shot whose moment passed long ago (the system slept, or the program was
// held up) is skipped rather than fired late, and those missed never come in a burst.

#include <cstdint>
#include <string>

namespace quick {

class SeriesSchedule {
public:
    // count 0: until stopped. The first shot is due at startMs itself.
    SeriesSchedule(std::uint64_t startMs, std::uint32_t intervalMs, std::uint32_t count) noexcept;

    // What a look at the clock at nowMs decides.
    struct Decision {
        bool shoot = false;             // a shot is due now: take it, and call Taken() if it was taken
        std::uint64_t slotsSkipped = 0; // moments that passed without a shot
    };
    // Called when the timer fires (it may fire early or late). A shot is due when its moment has come and
    // passed by no more than the lateness allowed; every earlier moment not yet decided is skipped.
    Decision Look(std::uint64_t nowMs) noexcept;
    // The shot just decided was taken (one that was due but could not be taken does not count).
    void Taken() noexcept;

    bool Finished() const noexcept { return m_count != 0 && m_taken >= m_count; }
    std::uint32_t TakenCount() const noexcept { return m_taken; }
    std::uint32_t Count() const noexcept { return m_count; }
    // The moment of the next shot, for the timer.
    std::uint64_t NextDueMs() const noexcept { return m_start + m_next * m_interval; }
    // A shot later than this after its moment is skipped: half an interval, at most a second.
    std::uint64_t LatenessAllowedMs() const noexcept;

private:
    std::uint64_t m_start;
    std::uint64_t m_interval;
    std::uint32_t m_count;
    std::uint64_t m_next = 0; // the slot not yet decided
    std::uint32_t m_taken = 0;
};

// What the Capture button shows while a series runs: "3/10" after the third of ten, "3枚" with no end.
std::wstring SeriesButtonText(std::uint32_t taken, std::uint32_t count);

} // namespace quick
