// Local date and time as days since 30 December 1899 00:00.
#pragma once

#include <functional>

#include "base/text.h"

namespace qinghe {

struct DateTime {
    double days = 0;  // the fraction is the time of day
};

// Builds a DateTime from calendar parts (no range checks beyond clamping).
DateTime make_date_time(int year, int month, int day, int hour, int minute, int second);

// The current local date and time to the whole second. Tests replace the
// clock with set_clock; an empty function restores the system clock.
DateTime now();
void set_clock(std::function<DateTime()> clock);

// Parts of d; d is first clamped to 1 January 100 .. 31 December 9999.
int year_of(DateTime d);
int month_of(DateTime d);
int day_of(DateTime d);
int hour_of(DateTime d);
int minute_of(DateTime d);
int second_of(DateTime d);

// "2013-5-7 9:3:0": every part in decimal without leading zeros.
Text format_date_time(DateTime d);

}  // namespace qinghe
