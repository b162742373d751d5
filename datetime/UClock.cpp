#include "datetime/UClock.h"

#include "datetime/UCalendar.h"

#include <chrono>
#include <ctime>
#include <mutex>
#include <optional>

namespace {

std::mutex& ClockLock()
{
    static std::mutex lock;
    return lock;
}

std::optional<double>& FixedNow()
{
    static std::optional<double> now;
    return now;
}

double SystemNow()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    if (localtime_r(&seconds, &local) == nullptr)
        return 0.0;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    double date = 0.0;
    double time = 0.0;
    if (!TryEncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, date))
        return 0.0;
    // A leap second (tm_sec 60) is written as the last second of the minute.
    const int second = local.tm_sec > 59 ? 59 : local.tm_sec;
    TryEncodeTime(local.tm_hour, local.tm_min, second, static_cast<int>(ms < 0 ? 0 : ms), time);
    return CombineDateTime(date, time);
}

}  // namespace

double CurrentDateTime()
{
    {
        std::lock_guard lock(ClockLock());
        if (FixedNow())
            return *FixedNow();
    }
    return SystemNow();
}

int CurrentYear()
{
    TDateTimeParts parts;
    return DecodeDateTime(CurrentDateTime(), parts) ? parts.Year : 2000;
}

TFixedClock::TFixedClock(double now)
{
    std::lock_guard lock(ClockLock());
    if (FixedNow()) {
        hadPrevious_ = true;
        previous_ = *FixedNow();
    }
    FixedNow() = now;
}

TFixedClock::~TFixedClock()
{
    std::lock_guard lock(ClockLock());
    if (hadPrevious_)
        FixedNow() = previous_;
    else
        FixedNow().reset();
}
