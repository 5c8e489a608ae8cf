// Captions and messages of the shop link window, in GBK. The window and the
// headless runner show exactly these texts.
#pragma once

#include "base/gbk_text.h"

namespace qinghe::shop_texts {

inline const Text kWindowTitle = gbk_text("批量获取宝贝链接");
inline const Text kAddressLabel = gbk_text("淘宝、天猫、阿里店铺地址：");
inline const Text kFetchCaption = gbk_text("获取");
inline const Text kInputExample = gbk_text(
    "店铺地址输入示例：\r\n"
    "天猫店铺：http://qinghe.tmall.com\r\n"
    "淘宝店铺：http://shop33305116.taobao.com\r\n"
    "1688店铺：http://qinghe.1688.com");
inline const Text kLinksLabel = gbk_text("整店宝贝链接：");
// The link count label: kCountBefore + count + kCountAfter.
inline const Text kCountBefore = gbk_text("共获得 ");
inline const Text kCountAfter = gbk_text(" 个宝贝链接！");
inline const Text kClearCaption = gbk_text("清空");
inline const Text kAcceptCaption = gbk_text("确定");

inline const Text kEmptyAddress = gbk_text("店铺地址不能不输入的！");
// Followed by an empty line; the input example follows.
inline const Text kWrongAddress = gbk_text("请输入正确的店铺地址？！\r\n\r\n");
inline const Text kNetworkTimeout = gbk_text("网络超时，请重试！");
// Page 1 of the shop was an anti-spider answer or a login page.
inline const Text kBlockedBySite = gbk_text("被网站拦截，请稍后再试或在浏览器中登录后重试！");
inline const Text kNoLinksYet = gbk_text("您还未获取一个链接呢！");

}  // namespace qinghe::shop_texts
