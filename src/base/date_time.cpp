// DateTime: days since 30 December 1899, in the form of OLE automation dates.
//
// A negative value counts whole days back from day 0 while its fraction is
// still the time of day forward from midnight: -1.25 is 29 December 1899
// 06:00. Parts are taken after rounding to the nearest second, so a value a
// hair below midnight reads as the next day 00:00:00, never as 23:59:60.
#include "base/date_time.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <mutex>

#include "base/text_number.h"

namespace qinghe {

namespace {

constexpr long long kFirstDay = -657434;  // 1 January 100
constexpr long long kLastDay = 2958465;   // 31 December 9999
constexpr long long kSecondsPerDay = 86400;
constexpr long long kUnixEpochDay = 25569;  // 1 January 1970

struct Civil {
    int year;
    int month;
    int day;
};

// Proleptic Gregorian calendar from days since 1 January 1970.
Civil civil_from_days(long long z) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const long long d = doy - (153 * mp + 2) / 5 + 1;
    const long long m = mp < 10 ? mp + 3 : mp - 9;
    const long long y = yoe + era * 400 + (m <= 2 ? 1 : 0);
    return {static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

long long days_from_civil(long long y, long long m, long long d) {
    y -= m <= 2 ? 1 : 0;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool is_leap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int days_in_month(int y, int m) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return (m == 2 && is_leap(y)) ? 29 : kDays[m - 1];
}

// A DateTime split into its day number and the second of that day, rounded
// to the nearest second and clamped to the supported range.
struct DaySecond {
    long long day;
    long long second;
};

DaySecond split(DateTime d) {
    double v = d.days;
    if (std::isnan(v)) v = 0;
    // Keep far-out values away from the integer conversions below.
    v = std::clamp(v, static_cast<double>(kFirstDay - 1), static_cast<double>(kLastDay + 1));
    double whole = v >= 0 ? std::floor(v) : std::ceil(v);
    double fraction = std::fabs(v - whole);
    auto day = static_cast<long long>(whole);
    auto second = std::llround(fraction * kSecondsPerDay);
    if (second >= kSecondsPerDay) {
        ++day;
        second = 0;
    }
    if (day < kFirstDay) return {kFirstDay, 0};
    if (day > kLastDay) return {kLastDay, kSecondsPerDay - 1};
    return {day, second};
}

Civil civil_of(DateTime d) { return civil_from_days(split(d).day - kUnixEpochDay); }

std::mutex g_clock_mutex;
std::function<DateTime()> g_clock;

DateTime system_now() {
    std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return make_date_time(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                          local.tm_min, std::min(local.tm_sec, 59));
}

}  // namespace

DateTime make_date_time(int year, int month, int day, int hour, int minute, int second) {
    year = std::clamp(year, 100, 9999);
    month = std::clamp(month, 1, 12);
    day = std::clamp(day, 1, days_in_month(year, month));
    hour = std::clamp(hour, 0, 23);
    minute = std::clamp(minute, 0, 59);
    second = std::clamp(second, 0, 59);
    long long day_number = days_from_civil(year, month, day) + kUnixEpochDay;
    double time = static_cast<double>(hour * 3600 + minute * 60 + second) / kSecondsPerDay;
    double whole = static_cast<double>(day_number);
    return DateTime{day_number >= 0 ? whole + time : whole - time};
}

DateTime now() {
    std::function<DateTime()> clock;
    {
        std::lock_guard<std::mutex> lock(g_clock_mutex);
        clock = g_clock;
    }
    return clock ? clock() : system_now();
}

void set_clock(std::function<DateTime()> clock) {
    std::lock_guard<std::mutex> lock(g_clock_mutex);
    g_clock = std::move(clock);
}

int year_of(DateTime d) { return civil_of(d).year; }
int month_of(DateTime d) { return civil_of(d).month; }
int day_of(DateTime d) { return civil_of(d).day; }
int hour_of(DateTime d) { return static_cast<int>(split(d).second / 3600); }
int minute_of(DateTime d) { return static_cast<int>(split(d).second / 60 % 60); }
int second_of(DateTime d) { return static_cast<int>(split(d).second % 60); }

Text format_date_time(DateTime d) {
    return join_text({number_to_text(year_of(d)), "-", number_to_text(month_of(d)), "-",
                      number_to_text(day_of(d)), " ", number_to_text(hour_of(d)), ":",
                      number_to_text(minute_of(d)), ":", number_to_text(second_of(d))});
}

}  // namespace qinghe
