// The bundled items of the fake marketplace: one Taobao, one Tmall and one
// 1688 item, written in the shape of the marketplaces' own pages (small, but
// with every marker the harvester and the package export read). Pages are
// written here in UTF-8 and served as GBK.
#include <string>

#include "base/gbk_text.h"
#include "demo/fake_market.h"

namespace qinghe::demo {

namespace {

// ---- Taobao: item.taobao.com, description through g_config.dynamicScript ----

constexpr const char* kTaobaoPage = R"(<!DOCTYPE html>
<html>
<head>
<meta charset="gbk">
<title>青禾演示 纯棉圆领T恤 夏季新款-淘宝网</title>
<link rel="stylesheet" href="http://assets.taobaocdn.com/shop/1001/theme.css?v=2">
<script>
g_config.dynamicScript("http://dsc.taobaocdn.com/i1/1001/desc.js");
var g_shop = {shopId=57301;userId=880001};
</script>
</head>
<body>
<div class="tb-shop-info" data-nick="%E9%9D%92%E7%A6%BE%E6%BC%94%E7%A4%BA%E5%BA%97"></div>
<a class="tb-cat" href="//list.taobao.com/browse/cat%5f50000671&amp;from=item">T恤</a>
<h3 class="tb-main-title">青禾演示 纯棉圆领T恤 夏季新款</h3>
<p class="tb-subtitle"> 柔软 透气 不变形 </p>
<strong class="tb-price"><em class="tb-rmb">&yen;</em><em class="tb-rmb-num">59.00</em></strong>
<ul id="J_UlThumb" class="tb-thumb">
<li class="tb-selected"><a href="#"><img src="http://img01.taobaocdn.com/bao/uploaded/i1/1001/main1.jpg_60x60q90.jpg"></a></li>
<li><a href="#"><img src="http://img02.taobaocdn.com/bao/uploaded/i2/1001/main2.png_60x60q90.jpg"></a></li>
</ul>
<ul class="J_TSaleProp tb-img">
<li data-value="1627207:28320" title="白色"><a href="#" style="background:url(http://img03.taobaocdn.com/bao/uploaded/i3/1001/white.jpg_30x30.jpg) center no-repeat;"><span>白色</span></a></li>
<li data-value="1627207:28341"><a href="#"><span>黑色</span></a></li>
</ul>
<ul class="attributes-list">
<li>品牌:&nbsp;青禾</li>
<li>型号:&nbsp;QH-T01</li>
</ul>
<script>
(function(){var a=1;{var b="http://dsc.taobaocdn.com/location/1001.js";a=b;}})();
Hub.config.set("sku",{"skuMap":{";1627207:28320;":{"price":"59.00","stock":"12"},";1627207:28341;":{"price":"59.00","stock":"8"}}});
</script>
</body>
</html>
)";

constexpr const char* kTaobaoDescription =
    "var desc='<p style=\"text-align:center;\"><img src=\"http://img.alicdn.com/imgextra/i1/1001/d1.jpg\" /></p>\\\r\n"
    "<p><img src=\"http://img.alicdn.com/imgextra/i2/1001/d2.gif\" /></p>\\\r\n"
    "<p><img src=\"http://img.alicdn.com/imgextra/i3/1001/d3.jpg\" />纯棉面料，亲肤透气</p>\\\r\n"
    "<p><a href=\"http://item.taobao.com/item.htm?id=1001\">返回宝贝页</a></p>';";

constexpr const char* kTaobaoLocation =
    R"(TShop.Setup({"delivery":{"sendCity":"浙江杭州","fee":"0.00"}});)";

constexpr const char* kTaobaoStyleSheet =
    R"(.shop-banner{background:url(http://img.alicdn.com/shop/1001/banner.jpg) no-repeat;}
.shop-logo{background:url('http://img.alicdn.com/shop/1001/logo.png');}
.shop-icon{background:url(/img/local.png);}
.shop-secure{background:url(https://img.alicdn.com/shop/1001/secure.gif);}
)";

// ---- Tmall: detail.tmall.com, description through "descUrl" ----

constexpr const char* kTmallPage = R"(<!DOCTYPE html>
<html>
<head>
<meta charset="gbk">
<title>青禾演示 桑蚕丝围巾 春秋款-tmall.com天猫</title>
<link rel="stylesheet" href="http://assets.tmall.com/shop/2002/tmall.css">
<link rel="stylesheet" href="http://assets.tmall.com/shop/2002/tmall-extra.css">
<script>
TShop.Setup({"api":{"descUrl":"http://dsc.tmall.com/i4/2002/desc.htm","fetchDcUrl":"//mdskip.tmall.com/core/initItemDetail.htm"},"itemDO":{"categoryId":"50010410"}});
var g_shop = {shopId=63002;sellerId=880002};
</script>
</head>
<body>
<div class="slogo" data-nick="%E9%9D%92%E7%A6%BE%E4%B8%9D%E7%BB%B8%E6%97%97%E8%88%B0%E5%BA%97"></div>
<a class="cat" href="//list.tmall.com/search_product.htm?cat%5f50010410&amp;from=item">围巾</a>
<input type="hidden" name="region" value="上海">
<div class="tm-price-panel"><span class="tm-price">&yen;199.00</span></div>
<ul id="J_UlThumb" class="tb-thumb">
<li class="tb-selected"><a href="#"><img src="http://img.alicdn.com/bao/uploaded/i4/2002/scarf1.jpg_50x50.jpg"></a></li>
<li><a href="#"><img src="http://img.alicdn.com/bao/uploaded/i4/2002/scarf2.jpg_50x50.jpg"></a></li>
</ul>
<ul class="tm-clear J_TSaleProp tb-img">
<li data-value="1627207:3232483" title="酒红"><a href="#" style="background:url(http://img.alicdn.com/bao/uploaded/i4/2002/red.jpg_40x40q90.jpg) center no-repeat;"><span>酒红</span></a></li>
<li data-value="1627207:3232484" title="藏青"><a href="#"><span>藏青</span></a></li>
</ul>
<ul id="J_AttrUL">
<li>品牌:&nbsp;青禾丝绸</li>
<li>型号:&nbsp;SJ-2002</li>
</ul>
<script>
TShop.Setup({"valItemInfo":{"skuMap":{";1627207:3232483;":{"price":"199.00","stock":"5"},";1627207:3232484;":{"price":"209.00","stock":"3"}}}});
</script>
</body>
</html>
)";

constexpr const char* kTmallStyleSheet =
    R"(.tm-bg{background:url(http://img.alicdn.com/shop/2002/bg.gif) repeat-x;}
.tm-stripe{background-image:url("http://img.alicdn.com/shop/2002/stripe.png");}
)";

constexpr const char* kTmallExtraStyleSheet =
    R"(.tm-badge{background:url(http://img.alicdn.com/shop/2002/badge.jpg) no-repeat;}
)";

// ---- 1688: detail.1688.com, description through data-tfs-url ----

constexpr const char* k1688Page = R"(<!DOCTYPE html>
<html>
<head>
<meta charset="gbk">
<title>青禾演示 加厚帆布包 厂家批发</title>
<link rel="stylesheet" href="http://style.c.aliimg.com/app/offer/3003/offer.css">
</head>
<body>
<div class="mod-detail-gallery">
<ul class="nav nav-tabs fd-clr">
<li class="tab-trigger"><div class="vertical-img"><a class="box-img"><img src="http://cbu01.alicdn.com/img/ibank/3003/bag1.64x64.jpg" alt="帆布包"></a></div></li>
<li class="tab-trigger"><div class="vertical-img"><a class="box-img"><img src="http://cbu01.alicdn.com/img/ibank/3003/bag2.64x64.jpg" alt="帆布包"></a></div></li>
</ul>
</div>
<div class="obj-price"><span class="price">25.00</span></div>
<div class="obj-logistics">发货地 <span class="delivery-addr">浙江 义乌</span></div>
<div class="company" data-nick="青禾箱包厂"></div>
<ul class="list-leading">
<li data-value="1627207:28320" title="米白"><span>米白</span></li>
<li data-value="1627207:28341" title="军绿"><span>军绿</span></li>
</ul>
<div id="desc-lazyload-container" class="desc-lazyload-container" data-tfs-url="http://img.china.alibaba.com/desc/3003.html" data-enable="true"></div>
</body>
</html>
)";

constexpr const char* k1688StyleSheet =
    R"(.offer-bg{background:url(http://cbu01.alicdn.com/img/ibank/3003/offer-bg.jpg) no-repeat;}
)";

std::string host_of(const std::string& address) {
    std::string rest = address.substr(address.find("//") + 2);
    return rest.substr(0, rest.find('/'));
}

std::string path_of(const std::string& address) {
    std::string rest = address.substr(address.find("//") + 2);
    std::string path = rest.substr(rest.find('/'));
    return path.substr(0, path.find('?'));
}

std::string kind_of(const std::string& address) { return address.substr(address.rfind('.') + 1); }

std::vector<MarketItem> make_items() {
    std::vector<MarketItem> items(3);

    MarketItem& taobao = items[0];
    taobao.address = "http://item.taobao.com/item.htm?id=1001&spm=a1z10.1";
    taobao.main_pictures = {"http://img01.taobaocdn.com/bao/uploaded/i1/1001/main1.jpg",
                            "http://img02.taobaocdn.com/bao/uploaded/i2/1001/main2.png",
                            "http://img03.taobaocdn.com/bao/uploaded/i3/1001/white.jpg"};
    taobao.description_pictures = {"http://img.alicdn.com/imgextra/i1/1001/d1.jpg",
                                   "http://img.alicdn.com/imgextra/i2/1001/d2.gif",
                                   "http://img.alicdn.com/imgextra/i3/1001/d3.jpg"};
    taobao.style_sheet_pictures = {"http://img.alicdn.com/shop/1001/banner.jpg",
                                   "http://img.alicdn.com/shop/1001/logo.png"};
    taobao.description_host = "dsc.taobaocdn.com";
    taobao.description_path = "/i1/1001/desc.js";

    MarketItem& tmall = items[1];
    tmall.address = "http://detail.tmall.com/item.htm?id=2002";
    tmall.main_pictures = {"http://img.alicdn.com/bao/uploaded/i4/2002/scarf1.jpg",
                           "http://img.alicdn.com/bao/uploaded/i4/2002/scarf2.jpg",
                           "http://img.alicdn.com/bao/uploaded/i4/2002/red.jpg"};
    for (int i = 1; i <= 12; ++i) {
        std::string number = (i < 10 ? "0" : "") + std::to_string(i);
        std::string extension = i == 3 ? "png" : i == 7 ? "gif" : "jpg";
        tmall.description_pictures.push_back("http://img.alicdn.com/imgextra/i4/2002/t" + number +
                                             "." + extension);
    }
    tmall.style_sheet_pictures = {"http://img.alicdn.com/shop/2002/bg.gif",
                                  "http://img.alicdn.com/shop/2002/stripe.png",
                                  "http://img.alicdn.com/shop/2002/badge.jpg"};
    tmall.description_host = "dsc.tmall.com";
    tmall.description_path = "/i4/2002/desc.htm";

    MarketItem& ali = items[2];
    ali.address = "http://detail.1688.com/offer/3003.html";
    ali.main_pictures = {"http://cbu01.alicdn.com/img/ibank/3003/bag1.jpg",
                         "http://cbu01.alicdn.com/img/ibank/3003/bag2.jpg"};
    for (int i = 1; i <= 11; ++i) {
        std::string number = (i < 10 ? "0" : "") + std::to_string(i);
        ali.description_pictures.push_back("http://cbu01.alicdn.com/img/ibank/3003/d" + number +
                                           ".jpg");
    }
    ali.style_sheet_pictures = {"http://cbu01.alicdn.com/img/ibank/3003/offer-bg.jpg"};
    ali.description_host = "img.china.alibaba.com";
    ali.description_path = "/desc/3003.html";
    return items;
}

std::string tmall_description(const MarketItem& item) {
    std::string text = "var desc='<div class=\"content\">";
    for (const std::string& picture : item.description_pictures) {
        text += "<p><img src=\"" + picture + "\" class=\"img-ks-lazyload\"></p>\\\r\n";
    }
    text += "<p>桑蚕丝，手感顺滑</p></div>';";
    return text;
}

std::string ali_description(const MarketItem& item) {
    std::string text = "<div id=\"offer-template-0\"><p>加厚帆布，耐磨耐用</p>\r\n";
    for (const std::string& picture : item.description_pictures) {
        text += "<p><img src=\"" + picture + "\" alt=\"\"></p>\r\n";
    }
    text += "<p><a href=\"http://detail.1688.com/offer/3003.html\">更多款式</a></p></div>";
    return text;
}

void add_pictures(FakeMarket& market, const std::vector<std::string>& addresses) {
    for (const std::string& address : addresses) {
        std::string kind = kind_of(address);
        std::string type = kind == "png" ? "image/png" : kind == "gif" ? "image/gif" : "image/jpeg";
        market.add(host_of(address), path_of(address), tiny_picture(kind, address), type);
    }
}

}  // namespace

const std::vector<MarketItem>& demo_items() {
    static const std::vector<MarketItem> items = make_items();
    return items;
}

void add_demo_items(FakeMarket& market) {
    const std::vector<MarketItem>& items = demo_items();
    const MarketItem& taobao = items[0];
    const MarketItem& tmall = items[1];
    const MarketItem& ali = items[2];
    const std::string html = "text/html; charset=gbk";
    const std::string css = "text/css";
    const std::string script = "application/javascript; charset=gbk";

    market.add(host_of(taobao.address), path_of(taobao.address), gbk_text(kTaobaoPage), html);
    market.add(taobao.description_host, taobao.description_path, gbk_text(kTaobaoDescription),
               script);
    market.add("dsc.taobaocdn.com", "/location/1001.js", gbk_text(kTaobaoLocation), script);
    market.add("assets.taobaocdn.com", "/shop/1001/theme.css", kTaobaoStyleSheet, css);

    market.add(host_of(tmall.address), path_of(tmall.address), gbk_text(kTmallPage), html);
    market.add(tmall.description_host, tmall.description_path, gbk_text(tmall_description(tmall)),
               script);
    market.add("assets.tmall.com", "/shop/2002/tmall.css", kTmallStyleSheet, css);
    market.add("assets.tmall.com", "/shop/2002/tmall-extra.css", kTmallExtraStyleSheet, css);

    market.add(host_of(ali.address), path_of(ali.address), gbk_text(k1688Page), html);
    market.add(ali.description_host, ali.description_path, gbk_text(ali_description(ali)), html);
    market.add("style.c.aliimg.com", "/app/offer/3003/offer.css", k1688StyleSheet, css);

    for (const MarketItem& item : items) {
        add_pictures(market, item.main_pictures);
        add_pictures(market, item.description_pictures);
        add_pictures(market, item.style_sheet_pictures);
    }
}

}  // namespace qinghe::demo
