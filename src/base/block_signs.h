// Signs of the answers the marketplaces give a scripted fetch instead of the
// page asked for: anti-bot interstitials, slider captchas, login redirects
// and anti-spider answers. Item pages (package/blocked_page.h) and shop list
// pages (shop collectors) read the same signs, so the one table lives here.
//
// Signs of blocking also stand in complete pages (a 2020 item page carries a
// hidden login frame whose address ends in "/_____tmd_____/punish", and
// every page links to the login page), so a sign alone never makes a page
// blocked: the page must also lack what it was asked for.
#pragma once

#include <string_view>

namespace qinghe {

enum class BlockSign {
    None,
    // 1688's "security-X5" interstitial: x5secdata,
    // "亲，小二正忙，滑动一下马上回来".
    SecurityInterstitial,
    // A slider captcha: nc_token and the nocaptcha script.
    SliderCaptcha,
    // Taobao's anti-spider JSON: {"rgv587_flag":"sm","url":"…"}.
    AntiSpiderAnswer,
    // A page that sends the browser to login.taobao.com or sec.taobao.com.
    LoginRedirect,
    // A "punish" page ("/_____tmd_____/punish" and the like).
    PunishPage,
};

// The first sign of blocking the GBK page text carries, tested in the order
// of the enumeration; None when it carries none.
BlockSign find_block_sign(std::string_view page_text);

// A shop list page is blocked when it lacks its page count and item links
// and carries a sign of blocking.
bool is_blocked_shop_page(std::string_view page_text, bool has_shop_listing);

}  // namespace qinghe
