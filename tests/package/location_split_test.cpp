#include "package/location_split.h"

#include <gtest/gtest.h>

#include "support/gbk_literal.h"

namespace qinghe {
namespace {

using test_support::gbk;

struct SplitCase {
    const char* location;
    const char* province;
    const char* city;
};

TEST(SplitLocation, ReadsTheFormsOfTheMarketplaces) {
    const SplitCase cases[] = {
        {"广东省 汕头市", "广东", "汕头"},  // 1688 delivery address
        {"江苏南京", "江苏", "南京"},       // Tmall region field
        {"浙江杭州", "浙江", "杭州"},       // Taobao sendCity
        {"河南郑州", "河南", "郑州"},       // saved Taobao page, J-From
        {"山东省济宁市", "山东", "济宁"},
        {"黑龙江哈尔滨", "黑龙江", "哈尔滨"},
        {"内蒙古呼和浩特", "内蒙古", "呼和浩特"},
        {"内蒙古自治区 兴安盟", "内蒙古", "兴安"},
        {"新疆维吾尔自治区乌鲁木齐市", "新疆", "乌鲁木齐"},
        {"广西壮族自治区南宁市", "广西", "南宁"},
        {"宁夏回族自治区银川市", "宁夏", "银川"},
        {"西藏自治区阿里地区", "西藏", "阿里"},
        {"湖北 武汉", "湖北", "武汉"},
        {"浙江省　杭州市　西湖区", "浙江", "杭州"},  // full-width spaces, a district
        {"福建/厦门", "福建", "厦门"},
        {"中国 四川 成都", "四川", "成都"},
        {"  陕西西安 ", "陕西", "西安"},
        {"山西太原", "山西", "太原"},
        // A municipality or special region is its own city.
        {"上海", "上海", "上海"},
        {"上海市", "上海", "上海"},
        {"北京市 朝阳区", "北京", "北京"},
        {"重庆", "重庆", "重庆"},
        {"香港", "香港", "香港"},
        {"澳门特别行政区", "澳门", "澳门"},
        {"台湾台北", "台湾", "台北"},
        // A province alone.
        {"浙江", "浙江", "浙江"},
        {"广东省", "广东", "广东"},
    };
    for (const auto& c : cases) {
        const auto split = split_location(gbk(c.location));
        ASSERT_TRUE(split.has_value()) << c.location;
        EXPECT_EQ(split->province, gbk(c.province)) << c.location;
        EXPECT_EQ(split->city, gbk(c.city)) << c.location;
    }
}

TEST(SplitLocation, NothingForTextsThatNameNoProvince) {
    const char* const locations[] = {"",    "   ", "海外", "日本东京", "杭州", "Zhejiang Hangzhou",
                                     "中国"};
    for (const char* location : locations) {
        EXPECT_FALSE(split_location(gbk(location)).has_value()) << location;
    }
}

}  // namespace
}  // namespace qinghe
