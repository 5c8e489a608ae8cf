// Items read from the data that newer item pages embed in a script.
//
// Since about 2023 the marketplaces send item pages whose markup is an empty
// skeleton (or hashed class names that change every year); the item itself
// travels as one object literal in a script, which both the served page and
// the page a browser saves keep:
//
// - 1688 (pages marked <meta name="od-version" content="2024">):
//     window.context=(function(b,d){…})(window.contextPath,{"result":{"data":{…},"global":{…}}})
//   Not strict JSON: some keys are bare numbers ("skuWeight":{5931007583129:0.6000}).
// - Taobao and Tmall (server-rendered pages of 2023 on):
//     <script>!(function () {var a = window.__ICE_APP_CONTEXT__ || {};
//     var b = {"loaderData": {"home": {"data": {"ssrItemId": …, "res": {…}}}}};…
//
// The readers are pure functions of the page text. They read the data only,
// never the markup around it.
#pragma once

#include <string_view>

#include "base/text.h"
#include "package/item_facts.h"

namespace qinghe {

// The item of a page in either form. `page` is the program's GBK text (a
// UTF-8 page already through page_to_gbk); `page_address` is the address the
// page came from, against which the data's scheme-relative addresses are
// resolved (a page read from disk: its path or file:// address, which makes
// them https). found is false when the page carries neither form, when the
// data is cut off, nests too deep, is too large or is no JSON, and when it
// holds neither a title nor a gallery.
ItemFacts read_embedded_item_data(std::string_view page, std::string_view page_address);

// One form each, as read_embedded_item_data tries them.
//
// 1688: the facts come from the data's keys wherever its modules put them:
// mainImage (else offerImgList) for the gallery, subject, skuPriceScale
// (else the range of currentPrices), location, leafCategoryId, detailUrl,
// skuProps, skuInfoMap, offerId, sellerLoginId, companyName; the item
// address from <link rel="canonical">. 1688 names no value ids: a
// combination's value_path is its skuInfoMap key, the value names joined
// by "&gt;" as the data writes them, and combinations come in the order of
// the sale values.
ItemFacts read_1688_context_data(std::string_view page, std::string_view page_address);

// Taobao and Tmall: loaderData.home.data.res, with item.title, item.itemId
// (else ssrItemId), item.images, item.pcADescUrl, item.categoryId,
// skuBase.props and skuBase.skus with skuCore.sku2info, the price of
// componentsVO.priceVO, componentsVO.deliveryVO.deliveryFromAddr and
// seller.shopName / seller.sellerNick.
ItemFacts read_ice_app_context_data(std::string_view page, std::string_view page_address);

// The address of the page's <link rel="canonical" href="…">, resolved
// against page_address; empty when the page has none.
Text canonical_link(std::string_view page, std::string_view page_address);

}  // namespace qinghe
