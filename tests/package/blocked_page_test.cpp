#include "package/blocked_page.h"

#include <gtest/gtest.h>

#include <string>

#include "base/page_charset.h"
#include "support/file_bytes.h"
#include "support/gbk_literal.h"

namespace qinghe {
namespace {

using test_support::gbk;

std::string real_page(const std::string& name) {
    return page_to_gbk(
        test_support::file_bytes(std::filesystem::path(QINGHE_FIXTURES_DIR) / "real" / name));
}

struct SignCase {
    const char* fixture;
    BlockSign expected;
};

TEST(BlockSign, EachBlockPageFixtureCarriesItsSign) {
    const SignCase cases[] = {
        {"blocked_1688_security_x5.html", BlockSign::SecurityInterstitial},
        {"blocked_taobao_slider.html", BlockSign::SliderCaptcha},
        {"blocked_taobao_antispider.json", BlockSign::AntiSpiderAnswer},
        {"blocked_taobao_login_redirect.html", BlockSign::LoginRedirect},
        {"blocked_tmall_sec_redirect.html", BlockSign::LoginRedirect},
        {"blocked_taobao_punish.html", BlockSign::PunishPage},
    };
    for (const auto& c : cases) {
        const std::string page = real_page(c.fixture);
        ASSERT_FALSE(page.empty()) << c.fixture;
        EXPECT_EQ(find_block_sign(page), c.expected) << c.fixture;
        EXPECT_TRUE(is_blocked_item_page(page, {})) << c.fixture;
        EXPECT_TRUE(is_blocked_shop_page(page, false)) << c.fixture;
    }
}

TEST(BlockSign, TheInterstitialMessageAloneIsASign) {
    EXPECT_EQ(find_block_sign(gbk("<div>亲，小二正忙，滑动一下马上回来</div>")),
              BlockSign::SecurityInterstitial);
    EXPECT_EQ(find_block_sign("<html><title>item</title></html>"), BlockSign::None);
    EXPECT_EQ(find_block_sign(""), BlockSign::None);
}

TEST(BlockedItemPage, AnyPartOfTheItemMakesThePageAnItem) {
    // A complete 2020 page carries the hidden login frame ending in
    // /_____tmd_____/punish and links to the login page.
    const std::string page = real_page("taobao_item_served_gbk.html");
    ASSERT_NE(find_block_sign(page), BlockSign::None);
    const ItemPageFacts item_facts[] = {
        {true, false, false},
        {false, true, false},
        {false, false, true},
        {true, true, true},
    };
    for (const auto& facts : item_facts) {
        EXPECT_FALSE(is_blocked_item_page(page, facts));
    }
    EXPECT_TRUE(is_blocked_item_page(page, {}));
}

TEST(BlockedItemPage, APageWithoutASignIsNeverBlocked) {
    // An empty answer or a changed page is a failure of its own kind (no
    // item), not a blocked page.
    EXPECT_FALSE(is_blocked_item_page("", {}));
    EXPECT_FALSE(is_blocked_item_page("<html><body>404</body></html>", {}));
    EXPECT_FALSE(is_blocked_shop_page("", false));
}

TEST(BlockedShopPage, AListingIsNeverBlocked) {
    const std::string page = real_page("blocked_taobao_antispider.json");
    EXPECT_FALSE(is_blocked_shop_page(page, true));
    EXPECT_FALSE(is_blocked_shop_page(real_page("taobao_shop_search_page1.html"), false));
}

TEST(BlockPageTitle, TheInterstitialTitleAsWrittenAndAsCleaned) {
    EXPECT_TRUE(is_block_page_title("security-X5"));
    EXPECT_TRUE(is_block_page_title("securityX5"));
    EXPECT_FALSE(is_block_page_title(gbk("复古真皮男士手提公文包")));
    EXPECT_FALSE(is_block_page_title(""));
}

}  // namespace
}  // namespace qinghe
