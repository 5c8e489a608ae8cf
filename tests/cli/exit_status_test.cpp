#include "cli/exit_status.h"

#include <gtest/gtest.h>

namespace qinghe {
namespace {

TEST(ExitStatus, FollowsHowTheRunEndedAndWhatFailed) {
    OutcomeCounts clean;
    clean.addresses = 3;
    clean.items = 2;
    clean.pictures_saved = 10;
    clean.pictures_skipped = 4;
    OutcomeCounts picture_failed = clean;
    picture_failed.pictures_failed = 1;
    OutcomeCounts address_failed = clean;
    address_failed.addresses_failed = 1;
    struct Case {
        RunEnd end;
        OutcomeCounts counts;
        int status;
    };
    const Case cases[] = {
        {RunEnd::Finished, clean, 0},           {RunEnd::Finished, OutcomeCounts{}, 0},
        {RunEnd::Finished, picture_failed, 1},  {RunEnd::Finished, address_failed, 1},
        {RunEnd::Refused, OutcomeCounts{}, 2},  {RunEnd::Stopped, clean, 130},
        {RunEnd::Stopped, picture_failed, 130},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(exit_status(c.end, c.counts), c.status)
            << static_cast<int>(c.end) << " " << c.counts.failures();
    }
}

}  // namespace
}  // namespace qinghe
