#include "package/picture_facts_2020.h"

#include "base/address_resolver.h"

namespace qinghe {

namespace {

// The size markers the picture servers add for scaled copies, removed in
// this order: an entry that holds another comes first (_310x310.jpg before
// 310x310., _64x64.jpg before 64x64.), so a whole suffix goes at once.
constexpr std::string_view kThumbnailSuffixes[] = {
    "_60x60.jpg",    "_230x230.jpg",  "_180x180.jpg", "_310x310.jpg",  "_130x130.jpg",
    "_240x240.jpg",  "_270x270.jpg",  "_50x50.jpg",   "_40x40q90.jpg", "_150x150.jpg",
    "_60x60q90.jpg", "_30x30q90.jpg", "_30x30.jpg",   "_40x40.jpg",    "_120x120.jpg",
    "_64x64.jpg",    "_400x400.jpg",  "64x64.",       "32x32.",        "310x310.",
    ".80x80",        ".400x400",      "summ.",        "_.webp",
};

// Suffixes of the thumbnails of later years, removed after the ones above.
constexpr std::string_view kNewerThumbnailSuffixes[] = {
    ".60x60.",         // 1688 gallery 2019: "….60x60.jpg"
    "_60x60_q50.jpg",  // rendered thumbnails of 2023 on
    "_60x60q50.jpg",
};

// A gallery: the thumbnail list's opening tag, and the attribute of each
// thumbnail that names its picture. The list ends at its "</ul>".
struct GalleryForm {
    std::string_view list_start;
    std::string_view picture_attribute;
    // A part every thumbnail address of the form holds; empty when any does.
    std::string_view thumbnail_mark;
};

// The classic gallery of each marketplace ('<ul id="J_UlThumb"
// class="tb-thumb">' with http:// thumbnails; 1688's '.64x64.jpg') is read by
// the main picture stage from the page's links and is not listed here.
constexpr GalleryForm kTaobaoGalleries[] = {
    // 2017-2020: <ul id="J_UlThumb" class="tb-thumb tb-clearfix"> … <img data-src="//gd2…jpg_50x50.jpg" />
    // (a saved page adds src="…_.webp" beside data-src: data-src is the picture).
    {"<ul id=\"J_UlThumb\" class=\"tb-thumb tb-clearfix\">", " data-src=\"", ""},
};
constexpr GalleryForm kTmallGalleries[] = {
    // 2017-2020: <ul id="J_UlThumb" class="tb-thumb tm-clear"> … <img src="//img…jpg_60x60q90.jpg">
    {"<ul id=\"J_UlThumb\" class=\"tb-thumb tm-clear\">", " src=\"", ""},
};
constexpr GalleryForm k1688Galleries[] = {
    // 2019-2020: <ul class="nav nav-tabs fd-clr"> … <img src="https://cbu01…60x60.jpg">; the
    // classic page has the same list with ".64x64.jpg" thumbnails.
    {"<ul class=\"nav nav-tabs fd-clr\">", " src=\"", ".60x60."},
};

// A description address: the text after `start` up to `end`. With a second
// start (Taobao's protocol switch), the first value serves http pages and
// the second every other page.
struct DescriptionForm {
    std::string_view start;
    std::string_view end;
    std::string_view https_start;  // empty: one value for every page
};

// The classic forms (g_config.dynamicScript("http://…"), "descUrl":"http://…",
// data-tfs-url="http://…") are read by the description stage; the newer
// forms are listed here, the first that names an address wins.
constexpr DescriptionForm kTaobaoDescriptions[] = {
    // 2017-2020 g_config: descUrl : location.protocol==='http:' ? '//dsc…' : '//desc.alicdn.com…',
    {"location.protocol==='http:' ? '", "'", " : '"},
};
constexpr DescriptionForm kTmallDescriptions[] = {
    // 2017-2020 TShop.Setup: "descUrl":"//dscnew.taobao.com/…"
    {"\"descUrl\":\"", "\"", ""},
};
constexpr DescriptionForm k1688Descriptions[] = {
    // 2017-2020: data-tfs-url="https://img.alicdn.com/tfscom/TB1…"
    {"data-tfs-url=\"", "\"", ""},
};

// Item id forms, in order: "itemId          : '…'" (Taobao g_config),
// "itemId":"…" and "itemId":123 (Tmall TShop.Setup).
constexpr std::string_view kItemIdStarts[] = {"itemId          : '", "\"itemId\":\"",
                                              "\"itemId\":"};
constexpr std::string_view kCanonicalStart = "<link rel=\"canonical\" href=\"";

// The value after the first start marker up to end; empty without start.
Text value_after(std::string_view text, std::string_view start, std::string_view end) {
    int at = find_text(text, start);
    if (at < 1) return {};
    std::string_view rest = text.substr(static_cast<size_t>(at) - 1 + start.size());
    int stop = find_text(rest, end);
    if (stop < 1) return {};
    return Text(rest.substr(0, static_cast<size_t>(stop) - 1));
}

Text leading_digits(std::string_view text) {
    size_t n = 0;
    while (n < text.size() && text[n] >= '0' && text[n] <= '9') ++n;
    return Text(text.substr(0, n));
}

std::vector<Text> read_gallery(std::string_view page, std::string_view page_address,
                               const GalleryForm& form) {
    std::vector<Text> pictures;
    int at = find_text(page, form.list_start);
    if (at < 1) return pictures;
    std::string_view list = page.substr(static_cast<size_t>(at) - 1 + form.list_start.size());
    int end = find_text(list, "</ul>");
    if (end > 0) list = list.substr(0, static_cast<size_t>(end) - 1);
    TextList parts = split_text(list, form.picture_attribute);
    for (int i = 2; i <= parts.count(); ++i) {
        Text reference = split_text(parts.at(i), "\"").at(1);
        if (!form.thumbnail_mark.empty() && find_text(reference, form.thumbnail_mark) < 1) continue;
        Text address = resolve_address(page_address, full_size_picture_address(reference));
        if (is_web_address(address)) pictures.push_back(address);
    }
    return pictures;
}

Text read_description_address(std::string_view page, std::string_view page_address,
                              const DescriptionForm& form) {
    Text value = value_after(page, form.start, form.end);
    if (!form.https_start.empty()) {
        bool http_page = page_address.substr(0, 7) == "http://";
        if (!http_page) {
            int at = find_text(page, form.start);
            if (at < 1) return {};
            std::string_view rest = page.substr(static_cast<size_t>(at) - 1 + form.start.size());
            value = value_after(rest, form.https_start, form.end);
        }
    }
    // An http:// address in a form the description stage has always read
    // ("descUrl":"http://…", data-tfs-url="http://…") is left to it.
    if (value.empty() || value.substr(0, 7) == "http://") return {};
    Text address = resolve_address(page_address, value);
    return is_web_address(address) ? address : Text{};
}

template <size_t G, size_t D>
bool read_marketplace(std::string_view page, std::string_view page_address,
                      const GalleryForm (&galleries)[G], const DescriptionForm (&descriptions)[D],
                      ItemFacts& facts) {
    bool recognised = false;
    for (const GalleryForm& form : galleries) {
        std::vector<Text> gallery = read_gallery(page, page_address, form);
        if (gallery.empty()) continue;
        facts.gallery = std::move(gallery);
        recognised = true;
        break;
    }
    for (const DescriptionForm& form : descriptions) {
        Text address = read_description_address(page, page_address, form);
        if (address.empty()) continue;
        facts.description_address = address;
        recognised = true;
        break;
    }
    return recognised;
}

void read_item_identity(std::string_view page, std::string_view page_address, ItemFacts& facts) {
    Text canonical = value_after(page, kCanonicalStart, "\"");
    if (!canonical.empty()) {
        Text address = resolve_address(page_address, canonical);
        if (is_web_address(address)) facts.item_address = address;
    }
    if (!facts.item_address.empty()) {
        // "…item.htm?id=588001001001" or "…/offer/610003003001.html".
        Text id = leading_digits(value_after(join_text({facts.item_address, "&"}), "id=", "&"));
        if (id.empty()) id = leading_digits(value_after(facts.item_address, "/offer/", "."));
        if (!id.empty()) facts.item_id = id;
    }
    for (std::string_view start : kItemIdStarts) {
        if (!facts.item_id.empty()) break;
        int at = find_text(page, start);
        if (at > 0)
            facts.item_id = leading_digits(page.substr(static_cast<size_t>(at) - 1 + start.size()));
    }
}

}  // namespace

Text remove_thumbnail_suffixes(std::string_view address) {
    Text result(address);
    for (std::string_view suffix : kThumbnailSuffixes) result = replace_text(result, suffix);
    return result;
}

Text full_size_picture_address(std::string_view address) {
    Text result = remove_thumbnail_suffixes(address);
    for (std::string_view suffix : kNewerThumbnailSuffixes) {
        result = replace_text(result, suffix, suffix.back() == '.' ? "." : "");
    }
    return result;
}

void read_2020_picture_facts(std::string_view page, std::string_view page_address,
                             ItemFacts& facts) {
    // Each marketplace's forms are distinct enough that the first one whose
    // gallery or description is on the page decides.
    bool recognised =
        read_marketplace(page, page_address, kTaobaoGalleries, kTaobaoDescriptions, facts) ||
        read_marketplace(page, page_address, kTmallGalleries, kTmallDescriptions, facts) ||
        read_marketplace(page, page_address, k1688Galleries, k1688Descriptions, facts);
    read_item_identity(page, page_address, facts);
    if (recognised) facts.found = true;
}

}  // namespace qinghe
