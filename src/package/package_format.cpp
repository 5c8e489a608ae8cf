#include "package/package_format.h"

namespace qinghe {

namespace {

// English name, Chinese name (GBK). The misspelt "is_lighting_consigment" and
// the space in "sku 条形码" are what Taobao Assistant expects.
constexpr PackageColumn kColumns[kPackageColumnCount] = {
    {"title", "\xB1\xA6\xB1\xB4\xC3\xFB\xB3\xC6"},  // 1 宝贝名称
    {"cid", "\xB1\xA6\xB1\xB4\xC0\xE0\xC4\xBF"},  // 2 宝贝类目
    {"seller_cids", "\xB5\xEA\xC6\xCC\xC0\xE0\xC4\xBF"},  // 3 店铺类目
    {"stuff_status", "\xD0\xC2\xBE\xC9\xB3\xCC\xB6\xC8"},  // 4 新旧程度
    {"location_state", "\xCA\xA1"},  // 5 省
    {"location_city", "\xB3\xC7\xCA\xD0"},  // 6 城市
    {"item_type", "\xB3\xF6\xCA\xDB\xB7\xBD\xCA\xBD"},  // 7 出售方式
    {"price", "\xB1\xA6\xB1\xB4\xBC\xDB\xB8\xF1"},  // 8 宝贝价格
    {"auction_increment", "\xBC\xD3\xBC\xDB\xB7\xF9\xB6\xC8"},  // 9 加价幅度
    {"num", "\xB1\xA6\xB1\xB4\xCA\xFD\xC1\xBF"},  // 10 宝贝数量
    {"valid_thru", "\xD3\xD0\xD0\xA7\xC6\xDA"},  // 11 有效期
    {"freight_payer", "\xD4\xCB\xB7\xD1\xB3\xD0\xB5\xA3"},  // 12 运费承担
    {"post_fee", "\xC6\xBD\xD3\xCA"},  // 13 平邮
    {"ems_fee", "EMS"},  // 14 EMS
    {"express_fee", "\xBF\xEC\xB5\xDD"},  // 15 快递
    {"has_invoice", "\xB7\xA2\xC6\xB1"},  // 16 发票
    {"has_warranty", "\xB1\xA3\xD0\xDE"},  // 17 保修
    {"approve_status", "\xB7\xC5\xC8\xEB\xB2\xD6\xBF\xE2"},  // 18 放入仓库
    {"has_showcase", "\xB3\xF7\xB4\xB0\xCD\xC6\xBC\xF6"},  // 19 橱窗推荐
    {"list_time", "\xBF\xAA\xCA\xBC\xCA\xB1\xBC\xE4"},  // 20 开始时间
    {"description", "\xB1\xA6\xB1\xB4\xC3\xE8\xCA\xF6"},  // 21 宝贝描述
    {"cateProps", "\xB1\xA6\xB1\xB4\xCA\xF4\xD0\xD4"},  // 22 宝贝属性
    {"postage_id", "\xD3\xCA\xB7\xD1\xC4\xA3\xB0\xE6ID"},  // 23 邮费模版ID
    {"has_discount", "\xBB\xE1\xD4\xB1\xB4\xF2\xD5\xDB"},  // 24 会员打折
    {"modified", "\xD0\xDE\xB8\xC4\xCA\xB1\xBC\xE4"},  // 25 修改时间
    {"upload_fail_msg", "\xC9\xCF\xB4\xAB\xD7\xB4\xCC\xAC"},  // 26 上传状态
    {"picture_status", "\xCD\xBC\xC6\xAC\xD7\xB4\xCC\xAC"},  // 27 图片状态
    {"auction_point", "\xB7\xB5\xB5\xE3\xB1\xC8\xC0\xFD"},  // 28 返点比例
    {"picture", "\xD0\xC2\xCD\xBC\xC6\xAC"},  // 29 新图片
    {"video", "\xCA\xD3\xC6\xB5"},  // 30 视频
    {"skuProps", "\xCF\xFA\xCA\xDB\xCA\xF4\xD0\xD4\xD7\xE9\xBA\xCF"},  // 31 销售属性组合
    {"inputPids", "\xD3\xC3\xBB\xA7\xCA\xE4\xC8\xEBID\xB4\xAE"},  // 32 用户输入ID串
    {"inputValues", "\xD3\xC3\xBB\xA7\xCA\xE4\xC8\xEB\xC3\xFB-\xD6\xB5\xB6\xD4"},  // 33 用户输入名-值对
    {"outer_id", "\xC9\xCC\xBC\xD2\xB1\xE0\xC2\xEB"},  // 34 商家编码
    {"propAlias", "\xCF\xFA\xCA\xDB\xCA\xF4\xD0\xD4\xB1\xF0\xC3\xFB"},  // 35 销售属性别名
    {"auto_fill", "\xB4\xFA\xB3\xE4\xC0\xE0\xD0\xCD"},  // 36 代充类型
    {"num_id", "\xCA\xFD\xD7\xD6ID"},  // 37 数字ID
    {"local_cid", "\xB1\xBE\xB5\xD8ID"},  // 38 本地ID
    {"navigation_type", "\xB1\xA6\xB1\xB4\xB7\xD6\xC0\xE0"},  // 39 宝贝分类
    {"user_name", "\xD3\xC3\xBB\xA7\xC3\xFB\xB3\xC6"},  // 40 用户名称
    {"syncStatus", "\xB1\xA6\xB1\xB4\xD7\xB4\xCC\xAC"},  // 41 宝贝状态
    {"is_lighting_consigment", "\xC9\xC1\xB5\xE7\xB7\xA2\xBB\xF5"},  // 42 闪电发货
    {"is_xinpin", "\xD0\xC2\xC6\xB7"},  // 43 新品
    {"foodparame", "\xCA\xB3\xC6\xB7\xD7\xA8\xCF\xEE"},  // 44 食品专项
    {"features", "\xB3\xDF\xC2\xEB\xBF\xE2"},  // 45 尺码库
    {"buyareatype", "\xB2\xC9\xB9\xBA\xB5\xD8"},  // 46 采购地
    {"global_stock_type", "\xBF\xE2\xB4\xE6\xC0\xE0\xD0\xCD"},  // 47 库存类型
    {"global_stock_country", "\xB9\xFA\xBC\xD2\xB5\xD8\xC7\xF8"},  // 48 国家地区
    {"sub_stock_type", "\xBF\xE2\xB4\xE6\xBC\xC6\xCA\xFD"},  // 49 库存计数
    {"item_size", "\xCE\xEF\xC1\xF7\xCC\xE5\xBB\xFD"},  // 50 物流体积
    {"item_weight", "\xCE\xEF\xC1\xF7\xD6\xD8\xC1\xBF"},  // 51 物流重量
    {"sell_promise", "\xCD\xCB\xBB\xBB\xBB\xF5\xB3\xD0\xC5\xB5"},  // 52 退换货承诺
    {"custom_design_flag", "\xB6\xA8\xD6\xC6\xB9\xA4\xBE\xDF"},  // 53 定制工具
    {"wireless_desc", "\xCE\xDE\xCF\xDF\xCF\xEA\xC7\xE9"},  // 54 无线详情
    {"barcode", "\xC9\xCC\xC6\xB7\xCC\xF5\xD0\xCE\xC2\xEB"},  // 55 商品条形码
    {"sku_barcode", "sku \xCC\xF5\xD0\xCE\xC2\xEB"},  // 56 sku 条形码
    {"newprepay", "7\xCC\xEC\xCD\xCB\xBB\xF5"},  // 57 7天退货
    {"subtitle", "\xB1\xA6\xB1\xB4\xC2\xF4\xB5\xE3"},  // 58 宝贝卖点
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
    return "version 1.00\r\n" + english + "\r\n" + chinese;
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

const PackageColumn (&package_columns())[kPackageColumnCount] { return kColumns; }

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
