// DateTime: day numbers, parts, rounding, clamping and the clock seam.
#include "base/date_time.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>

namespace qinghe {
namespace {

struct Parts {
    int year, month, day, hour, minute, second;
};

Parts parts_of(DateTime d) {
    return {year_of(d), month_of(d), day_of(d), hour_of(d), minute_of(d), second_of(d)};
}

std::string show(const Parts& p) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%d-%02d-%02d %02d:%02d:%02d", p.year, p.month, p.day,
                  p.hour, p.minute, p.second);
    return buffer;
}

struct PartsCase {
    double days;
    Parts expected;
};

class DateTimePartsTest : public ::testing::TestWithParam<PartsCase> {};

TEST_P(DateTimePartsTest, Parts) {
    EXPECT_EQ(show(parts_of(DateTime{GetParam().days})), show(GetParam().expected))
        << GetParam().days;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DateTimePartsTest,
    ::testing::Values(
        PartsCase{0, {1899, 12, 30, 0, 0, 0}}, PartsCase{2, {1900, 1, 1, 0, 0, 0}},
        PartsCase{60, {1900, 2, 28, 0, 0, 0}}, PartsCase{61, {1900, 3, 1, 0, 0, 0}},
        PartsCase{36526.5, {2000, 1, 1, 12, 0, 0}}, PartsCase{45351, {2024, 2, 29, 0, 0, 0}},
        // Before day 0 the whole part counts back, the fraction forward.
        PartsCase{-1.25, {1899, 12, 29, 6, 0, 0}}, PartsCase{-0.5, {1899, 12, 30, 12, 0, 0}},
        PartsCase{-2.75, {1899, 12, 28, 18, 0, 0}}, PartsCase{-36522, {1800, 1, 1, 0, 0, 0}},
        // Rounding to the nearest second carries into the next day.
        PartsCase{0.99999999, {1899, 12, 31, 0, 0, 0}},
        PartsCase{-1.99999999, {1899, 12, 30, 0, 0, 0}},
        PartsCase{1.0 / 86400 * 59.6, {1899, 12, 30, 0, 1, 0}},
        PartsCase{45291.99982, {2023, 12, 31, 23, 59, 44}},
        // Clamped to 1 January 100 .. 31 December 9999.
        PartsCase{-657434, {100, 1, 1, 0, 0, 0}}, PartsCase{-657435.5, {100, 1, 1, 0, 0, 0}},
        PartsCase{-1e300, {100, 1, 1, 0, 0, 0}}, PartsCase{2958465, {9999, 12, 31, 0, 0, 0}},
        PartsCase{2958465.9999999, {9999, 12, 31, 23, 59, 59}},
        PartsCase{1e300, {9999, 12, 31, 23, 59, 59}},
        PartsCase{INFINITY, {9999, 12, 31, 23, 59, 59}}, PartsCase{NAN, {1899, 12, 30, 0, 0, 0}}));

TEST(MakeDateTimeTest, KnownDayNumbers) {
    EXPECT_EQ(make_date_time(1899, 12, 30, 0, 0, 0).days, 0);
    EXPECT_EQ(make_date_time(1900, 1, 1, 0, 0, 0).days, 2);
    EXPECT_EQ(make_date_time(100, 1, 1, 0, 0, 0).days, -657434);
    EXPECT_EQ(make_date_time(9999, 12, 31, 0, 0, 0).days, 2958465);
    EXPECT_EQ(make_date_time(1899, 12, 29, 6, 0, 0).days, -1.25);
    EXPECT_EQ(make_date_time(2000, 1, 1, 12, 0, 0).days, 36526.5);
}

TEST(MakeDateTimeTest, ClampsEachPart) {
    const std::vector<std::pair<DateTime, Parts>> cases = {
        {make_date_time(2023, 2, 31, 0, 0, 0), {2023, 2, 28, 0, 0, 0}},
        {make_date_time(2024, 2, 30, 0, 0, 0), {2024, 2, 29, 0, 0, 0}},
        {make_date_time(2024, 13, 0, 24, 60, 60), {2024, 12, 1, 23, 59, 59}},
        {make_date_time(0, 1, 1, -1, -1, -1), {100, 1, 1, 0, 0, 0}},
        {make_date_time(12000, 1, 1, 0, 0, 0), {9999, 1, 1, 0, 0, 0}},
    };
    for (const auto& [d, expected] : cases) EXPECT_EQ(show(parts_of(d)), show(expected));
}

TEST(MakeDateTimeTest, PartsComeBackAcrossTheRange) {
    // Every 97th day from year 100 to 9999, with a time that moves through the day.
    for (long day = -657434, n = 0; day <= 2958465; day += 97, ++n) {
        DateTime base{static_cast<double>(day)};
        Parts p = parts_of(base);
        p.hour = static_cast<int>(n % 24);
        p.minute = static_cast<int>(n * 7 % 60);
        p.second = static_cast<int>(n * 13 % 60);
        DateTime d = make_date_time(p.year, p.month, p.day, p.hour, p.minute, p.second);
        ASSERT_EQ(show(parts_of(d)), show(p)) << day;
        ASSERT_EQ(static_cast<long>(d.days >= 0 ? std::floor(d.days) : std::ceil(d.days)), day);
    }
}

TEST(NowTest, UsesTheInstalledClock) {
    set_clock([] { return make_date_time(2013, 5, 7, 9, 3, 0); });
    EXPECT_EQ(show(parts_of(now())), "2013-05-07 09:03:00");
    set_clock({});
    DateTime system = now();
    std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    EXPECT_EQ(year_of(system), local.tm_year + 1900);
    // Whole seconds: the time of day is a whole number of seconds.
    double seconds = (system.days - std::floor(system.days)) * 86400;
    EXPECT_NEAR(seconds, std::round(seconds), 1e-4);
    double local_days = make_date_time(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                       local.tm_hour, local.tm_min, local.tm_sec)
                            .days;
    EXPECT_NEAR(system.days, local_days, 2.0 / 86400);
}

TEST(FormatDateTimeTest, NoLeadingZeros) {
    EXPECT_EQ(format_date_time(make_date_time(2013, 5, 7, 9, 3, 0)), "2013-5-7 9:3:0");
    EXPECT_EQ(format_date_time(make_date_time(2024, 12, 31, 23, 59, 5)), "2024-12-31 23:59:5");
    EXPECT_EQ(format_date_time(DateTime{-1.25}), "1899-12-29 6:0:0");
}

}  // namespace
}  // namespace qinghe
