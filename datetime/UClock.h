// The program's one source of "now": the current local date-time and the current
// year (which places two-digit years). Tests pin it with TFixedClock so that no
// result depends on the machine's clock.
#pragma once

// The current local date and time as a date-time value (days since 30 December 1899).
double CurrentDateTime();
// The year of CurrentDateTime().
int CurrentYear();

// Pins the clock to a fixed value while it lives, then restores the clock it
// replaced. Instances nest; they are meant for tests.
class TFixedClock {
public:
    explicit TFixedClock(double now);
    ~TFixedClock();
    TFixedClock(const TFixedClock&) = delete;
    TFixedClock& operator=(const TFixedClock&) = delete;

private:
    bool hadPrevious_ = false;
    double previous_ = 0.0;
};
