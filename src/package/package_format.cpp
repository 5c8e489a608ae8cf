#include "package/package_format.h"

#include "base/gbk_text.h"

namespace qinghe {

namespace {

struct PackageColumn {
    std::string_view english;
    std::string_view chinese;  // UTF-8; the header holds its GBK form
};

// The columns in header order. The misspelt "is_lighting_consigment" and
// the space in "sku 条形码" are what Taobao Assistant expects.
constexpr PackageColumn kColumns[kPackageColumnCount] = {
    {"title", "宝贝名称"},                   // 1
    {"cid", "宝贝类目"},                     // 2
    {"seller_cids", "店铺类目"},             // 3
    {"stuff_status", "新旧程度"},            // 4
    {"location_state", "省"},                // 5
    {"location_city", "城市"},               // 6
    {"item_type", "出售方式"},               // 7
    {"price", "宝贝价格"},                   // 8
    {"auction_increment", "加价幅度"},       // 9
    {"num", "宝贝数量"},                     // 10
    {"valid_thru", "有效期"},                // 11
    {"freight_payer", "运费承担"},           // 12
    {"post_fee", "平邮"},                    // 13
    {"ems_fee", "EMS"},                      // 14
    {"express_fee", "快递"},                 // 15
    {"has_invoice", "发票"},                 // 16
    {"has_warranty", "保修"},                // 17
    {"approve_status", "放入仓库"},          // 18
    {"has_showcase", "橱窗推荐"},            // 19
    {"list_time", "开始时间"},               // 20
    {"description", "宝贝描述"},             // 21
    {"cateProps", "宝贝属性"},               // 22
    {"postage_id", "邮费模版ID"},            // 23
    {"has_discount", "会员打折"},            // 24
    {"modified", "修改时间"},                // 25
    {"upload_fail_msg", "上传状态"},         // 26
    {"picture_status", "图片状态"},          // 27
    {"auction_point", "返点比例"},           // 28
    {"picture", "新图片"},                   // 29
    {"video", "视频"},                       // 30
    {"skuProps", "销售属性组合"},            // 31
    {"inputPids", "用户输入ID串"},           // 32
    {"inputValues", "用户输入名-值对"},      // 33
    {"outer_id", "商家编码"},                // 34
    {"propAlias", "销售属性别名"},           // 35
    {"auto_fill", "代充类型"},               // 36
    {"num_id", "数字ID"},                    // 37
    {"local_cid", "本地ID"},                 // 38
    {"navigation_type", "宝贝分类"},         // 39
    {"user_name", "用户名称"},               // 40
    {"syncStatus", "宝贝状态"},              // 41
    {"is_lighting_consigment", "闪电发货"},  // 42
    {"is_xinpin", "新品"},                   // 43
    {"foodparame", "食品专项"},              // 44
    {"features", "尺码库"},                  // 45
    {"buyareatype", "采购地"},               // 46
    {"global_stock_type", "库存类型"},       // 47
    {"global_stock_country", "国家地区"},    // 48
    {"sub_stock_type", "库存计数"},          // 49
    {"item_size", "物流体积"},               // 50
    {"item_weight", "物流重量"},             // 51
    {"sell_promise", "退换货承诺"},          // 52
    {"custom_design_flag", "定制工具"},      // 53
    {"wireless_desc", "无线详情"},           // 54
    {"barcode", "商品条形码"},               // 55
    {"sku_barcode", "sku 条形码"},           // 56
    {"newprepay", "7天退货"},                // 57
    {"subtitle", "宝贝卖点"},                // 58
};

Text build_header() {
    Text english;
    Text chinese;
    for (int i = 0; i < kPackageColumnCount; ++i) {
        if (i > 0) {
            english += ',';
            chinese += ',';
        }
        english += kColumns[i].english;
        chinese += kColumns[i].chinese;
    }
    return "version 1.00\r\n" + english + "\r\n" + gbk_text(chinese);
}

// Every run of three or more double quotes becomes a run of two, as
// repeatedly replacing '"""' by '""' from the start would leave it, in one
// scan. The scan is bytewise: a double quote is never the second byte of a
// GBK character, and a description that is not GBK at all (a UTF-8 page)
// must not have its quotes hidden behind a byte that looks like a lead byte.
Text collapse_quote_runs(std::string_view text) {
    Text out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '"') {
            out += text[i++];
            continue;
        }
        size_t run = 0;
        while (i < text.size() && text[i] == '"') {
            ++run;
            ++i;
        }
        out.append(run >= 3 ? 2 : run, '"');
    }
    return out;
}

}  // namespace

const Text& package_header() {
    static const Text header = build_header();
    return header;
}

Text final_row_form(std::string_view placeholder_row) {
    const Text collapsed = collapse_quote_runs(placeholder_row);
    return replace_text(collapsed, kQuotePlaceholder, "\"");
}

Bytes package_file_bytes(Text& text) {
    text = final_row_form(text);
    return package_file_bytes_of_final(text);
}

Bytes package_file_bytes_of_final(std::string_view final_rows) {
    Bytes bytes;
    bytes.reserve(package_header().size() + 2 + final_rows.size());
    bytes += package_header();
    bytes += "\r\n";
    bytes += final_rows;
    return bytes;
}

}  // namespace qinghe
