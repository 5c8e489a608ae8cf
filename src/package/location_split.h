// Province and city of a seller's location as the marketplaces write it.
//
// The location comes as one text in several forms: "浙江杭州" (Tmall's
// region field, Taobao's sendCity), "广东省 汕头市" (1688's delivery
// address), "新疆维吾尔自治区乌鲁木齐市", "上海". Cutting a fixed number of
// bytes fails on three-character province names (黑龙江, 内蒙古) and on the
// suffixes, so the text is read against the table of China's province-level
// divisions instead.
#pragma once

#include <optional>
#include <string_view>

#include "base/text.h"

namespace qinghe {

struct SplitLocation {
    Text province;  // the short name: 广东, 内蒙古, 上海, 香港
    Text city;      // without "市", "地区" or "盟": 汕头, 乌鲁木齐, 阿里, 兴安
};

// The province and city of a GBK location text, or nothing when the text
// does not begin (after spaces and an optional "中国") with a province,
// municipality, autonomous region or special administrative region of
// China. The province's own suffix ("省", "市", "自治区", "壮族自治区" …)
// and separators (spaces, full-width spaces, "/", "-", ",", "，") between
// the two parts are skipped. A municipality or special administrative
// region is its own city ("上海市 浦东新区" gives 上海 / 上海), and so is a
// province named without a city ("浙江" gives 浙江 / 浙江).
std::optional<SplitLocation> split_location(std::string_view location);

}  // namespace qinghe
