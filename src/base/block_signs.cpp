#include "base/block_signs.h"

#include <vector>

#include "base/gbk_text.h"

namespace qinghe {
namespace {

struct SignRow {
    const char* marker;  // UTF-8; compared as GBK text
    BlockSign sign;
};

// Markers of each sign, in the order the signs are tested. Each row names
// the page form it reads.
constexpr SignRow kSignRows[] = {
    // 1688 interstitial: <title>security-X5</title>
    {"security-X5", BlockSign::SecurityInterstitial},
    // 1688 interstitial: the slider's hidden field and its message
    {"x5secdata", BlockSign::SecurityInterstitial},
    {"亲，小二正忙，滑动一下马上回来", BlockSign::SecurityInterstitial},
    // Slider captcha of Taobao and 1688: <input name="nc_token" …>
    {"nc_token", BlockSign::SliderCaptcha},
    // Taobao anti-spider answer: {"rgv587_flag":"sm","url":"https://…"}
    {"rgv587_flag", BlockSign::AntiSpiderAnswer},
    // Login redirect: location.href / meta refresh to the login or security host
    {"login.taobao.com", BlockSign::LoginRedirect},
    {"sec.taobao.com", BlockSign::LoginRedirect},
    // Punish page: https://…/_____tmd_____/punish?x5secdata=…
    {"_____tmd_____", BlockSign::PunishPage},
    {"/punish", BlockSign::PunishPage},
};

struct GbkSignRow {
    Text marker;
    BlockSign sign;
};

const std::vector<GbkSignRow>& sign_rows() {
    static const std::vector<GbkSignRow> rows = [] {
        std::vector<GbkSignRow> out;
        for (const SignRow& row : kSignRows) out.push_back({gbk_text(row.marker), row.sign});
        return out;
    }();
    return rows;
}

}  // namespace

BlockSign find_block_sign(std::string_view page_text) {
    for (const GbkSignRow& row : sign_rows()) {
        if (contains_text(page_text, row.marker)) return row.sign;
    }
    return BlockSign::None;
}

bool is_blocked_shop_page(std::string_view page_text, bool has_shop_listing) {
    return !has_shop_listing && find_block_sign(page_text) != BlockSign::None;
}

}  // namespace qinghe
