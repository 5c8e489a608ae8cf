#include "window/batch_outcome.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace qinghe {
namespace {

using namespace std::string_literals;

FetchResult fetched(FetchError error, long status, std::string body = {}) {
    FetchResult r;
    r.complete = error == FetchError::None;
    r.error = error;
    r.status = status;
    r.body = std::move(body);
    return r;
}

TEST(FetchFailure, NamesWhyAFetchGaveNoPicture) {
    const std::string jpeg = "\xFF\xD8\xFF\xE0\0\x10JFIF"s;
    struct Case {
        const char* what;
        FetchResult result;
        Failure as_fetch;
        Failure as_picture;
    };
    const Case cases[] = {
        {"a picture", fetched(FetchError::None, 200, jpeg), {}, {}},
        {"a page with 200",
         fetched(FetchError::None, 200, "<html>login</html>"),
         {},
         {FailureReason::NotAPicture}},
        {"nothing with 200", fetched(FetchError::None, 200), {}, {FailureReason::NotAPicture}},
        {"404 page",
         fetched(FetchError::None, 404, "<html>gone</html>"),
         {FailureReason::HttpStatus, 404},
         {FailureReason::HttpStatus, 404}},
        {"503 with picture bytes",
         fetched(FetchError::None, 503, jpeg),
         {FailureReason::HttpStatus, 503},
         {FailureReason::HttpStatus, 503}},
        {"stalled",
         fetched(FetchError::TimedOut, 200, jpeg.substr(0, 4)),
         {FailureReason::TimedOut},
         {FailureReason::TimedOut}},
        {"reset", fetched(FetchError::Broken, 0), {FailureReason::Broken}, {FailureReason::Broken}},
        {"refused connection",
         fetched(FetchError::NoConnection, 0),
         {FailureReason::NoConnection},
         {FailureReason::NoConnection}},
        {"unusable address",
         fetched(FetchError::NotSent, 0),
         {FailureReason::Refused},
         {FailureReason::Refused}},
        {"redirect to file://",
         fetched(FetchError::RedirectRefused, 302),
         {FailureReason::Refused},
         {FailureReason::Refused}},
        {"redirect loop",
         fetched(FetchError::TooManyRedirects, 302),
         {FailureReason::TooManyRedirects},
         {FailureReason::TooManyRedirects}},
        {"body cap",
         fetched(FetchError::BodyTooLarge, 200, jpeg),
         {FailureReason::TooLarge},
         {FailureReason::TooLarge}},
        {"TLS trouble",
         fetched(FetchError::Other, 0),
         {FailureReason::Other},
         {FailureReason::Other}},
        {"nothing, for no known reason",
         FetchResult{},
         {FailureReason::Other},
         {FailureReason::Other}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(fetch_failure(c.result), c.as_fetch) << c.what;
        EXPECT_EQ(picture_failure(c.result), c.as_picture) << c.what;
    }
}

TEST(BatchOutcome, KeepsEveryAddressInBatchOrderWithItsPictures) {
    BatchOutcome outcome;
    outcome.begin_address(2, "http://img.example/p.jpg", AddressKind::Picture);
    outcome.picture_failed(2, "http://img.example/p.jpg", "D:\\b\\p.jpg",
                           {FailureReason::NotAPicture});
    outcome.begin_address(1, "http://item.example/1", AddressKind::Item);
    outcome.picture_saved(1, "http://img.example/a.jpg", "D:\\b\\1\\1.jpg");
    outcome.picture_skipped(1, "http://img.example/b.jpg", "D:\\b\\1\\2.jpg");
    outcome.picture_failed(1, "http://img.example/c.jpg", "", {FailureReason::HttpStatus, 404});
    outcome.begin_address(3, "http://item.example/3", AddressKind::Item);
    outcome.address_failed(3, {FailureReason::Blocked});
    outcome.begin_address(4, "/home/u/goods.csv", AddressKind::Package);
    outcome.picture_saved(4, "http://img.example/d.jpg", "D:\\b\\goodsCSV\\d.jpg");

    const std::vector<AddressRecord> records = outcome.records();
    ASSERT_EQ(records.size(), 4u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(records[static_cast<size_t>(i)].index, i + 1);
    EXPECT_EQ(records[0].address, "http://item.example/1");
    EXPECT_EQ(records[0].pictures,
              (std::vector<PictureRecord>{
                  {"http://img.example/a.jpg", "D:\\b\\1\\1.jpg", PictureState::Saved, {}},
                  {"http://img.example/b.jpg", "D:\\b\\1\\2.jpg", PictureState::Skipped, {}},
                  {"http://img.example/c.jpg",
                   "",
                   PictureState::Failed,
                   {FailureReason::HttpStatus, 404}},
              }));
    EXPECT_EQ(records[1].kind, AddressKind::Picture);
    EXPECT_EQ(records[2].failure, (Failure{FailureReason::Blocked}));
    EXPECT_TRUE(records[2].pictures.empty());
    EXPECT_EQ(records[3].kind, AddressKind::Package);

    OutcomeCounts expected;
    expected.addresses = 4;
    expected.items = 2;
    expected.addresses_failed = 1;
    expected.pictures_saved = 2;
    expected.pictures_skipped = 1;
    expected.pictures_failed = 2;
    EXPECT_EQ(outcome.counts(), expected);
    EXPECT_EQ(outcome.counts().failures(), 3);
    EXPECT_TRUE(outcome.any_failed());

    outcome.reset();
    EXPECT_TRUE(outcome.records().empty());
    EXPECT_EQ(outcome.counts(), OutcomeCounts{});
    EXPECT_FALSE(outcome.any_failed());
}

TEST(BatchOutcome, AFailureWithoutAReasonStillCountsAsAFailure) {
    BatchOutcome outcome;
    outcome.begin_address(1, "http://img.example/p.jpg", AddressKind::Picture);
    outcome.picture_failed(1, "http://img.example/p.jpg", "", {});
    ASSERT_EQ(outcome.records().at(0).pictures.size(), 1u);
    EXPECT_EQ(outcome.records().at(0).pictures[0].failure.reason, FailureReason::Other);
    EXPECT_TRUE(outcome.any_failed());
}

TEST(BatchOutcome, NothingFailedWhenEverythingWasSavedOrThere) {
    BatchOutcome outcome;
    outcome.begin_address(1, "http://item.example/1", AddressKind::Item);
    outcome.picture_saved(1, "http://img.example/a.jpg", "a");
    outcome.picture_skipped(1, "http://img.example/b.jpg", "b");
    EXPECT_FALSE(outcome.any_failed());
    EXPECT_EQ(outcome.counts().failures(), 0);
}

// Workers of one batch (and the window thread reading counts) may record at
// the same time; nothing may be lost or torn.
TEST(BatchOutcome, RecordsFromManyThreadsAtOnce) {
    BatchOutcome outcome;
    constexpr int kThreads = 4;
    constexpr int kPictures = 300;
    std::vector<std::thread> threads;
    for (int t = 1; t <= kThreads; ++t) {
        threads.emplace_back([&outcome, t] {
            outcome.begin_address(t, "http://item.example/" + std::to_string(t), AddressKind::Item);
            for (int p = 0; p < kPictures; ++p) {
                const std::string address =
                    "http://img.example/" + std::to_string(t) + "/" + std::to_string(p);
                if (p % 3 == 0) {
                    outcome.picture_failed(t, address, "", {FailureReason::TimedOut});
                } else {
                    outcome.picture_saved(t, address, "");
                }
                // The shared first address too, so that every call contends.
                outcome.picture_skipped(kThreads + 1, address, "");
                if (p % 50 == 0) (void)outcome.counts();
            }
        });
    }
    for (std::thread& thread : threads) thread.join();

    const OutcomeCounts counts = outcome.counts();
    EXPECT_EQ(counts.addresses, kThreads + 1);
    EXPECT_EQ(counts.pictures_failed, kThreads * kPictures / 3);
    EXPECT_EQ(counts.pictures_saved, kThreads * kPictures * 2 / 3);
    EXPECT_EQ(counts.pictures_skipped, kThreads * kPictures);
    for (const AddressRecord& record : outcome.records()) {
        if (record.index > kThreads) continue;
        ASSERT_EQ(record.pictures.size(), static_cast<size_t>(kPictures));
        for (int p = 0; p < kPictures; ++p) {
            EXPECT_EQ(
                record.pictures[static_cast<size_t>(p)].address,
                "http://img.example/" + std::to_string(record.index) + "/" + std::to_string(p));
        }
    }
}

}  // namespace
}  // namespace qinghe
