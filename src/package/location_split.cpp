#include "package/location_split.h"

#include <algorithm>
#include <vector>

#include "base/gbk_text.h"

namespace qinghe {
namespace {

enum class Division { Province, Municipality, AutonomousRegion, SpecialRegion };

struct DivisionRow {
    const char* name;         // the short name, as the marketplaces write it first
    const char* full_suffix;  // what follows the short name in the full name
    Division kind;
};

// China's province-level divisions. Full names are the short name followed
// by full_suffix; "省" and "市" are also accepted after any name (sellers
// write "内蒙古省" too).
constexpr DivisionRow kDivisions[] = {
    {"北京", "市", Division::Municipality},
    {"天津", "市", Division::Municipality},
    {"上海", "市", Division::Municipality},
    {"重庆", "市", Division::Municipality},
    {"河北", "省", Division::Province},
    {"山西", "省", Division::Province},
    {"辽宁", "省", Division::Province},
    {"吉林", "省", Division::Province},
    {"黑龙江", "省", Division::Province},
    {"江苏", "省", Division::Province},
    {"浙江", "省", Division::Province},
    {"安徽", "省", Division::Province},
    {"福建", "省", Division::Province},
    {"江西", "省", Division::Province},
    {"山东", "省", Division::Province},
    {"河南", "省", Division::Province},
    {"湖北", "省", Division::Province},
    {"湖南", "省", Division::Province},
    {"广东", "省", Division::Province},
    {"海南", "省", Division::Province},
    {"四川", "省", Division::Province},
    {"贵州", "省", Division::Province},
    {"云南", "省", Division::Province},
    {"陕西", "省", Division::Province},
    {"甘肃", "省", Division::Province},
    {"青海", "省", Division::Province},
    {"台湾", "省", Division::Province},
    {"内蒙古", "自治区", Division::AutonomousRegion},
    {"广西", "壮族自治区", Division::AutonomousRegion},
    {"西藏", "自治区", Division::AutonomousRegion},
    {"宁夏", "回族自治区", Division::AutonomousRegion},
    {"新疆", "维吾尔自治区", Division::AutonomousRegion},
    {"香港", "特别行政区", Division::SpecialRegion},
    {"澳门", "特别行政区", Division::SpecialRegion},
};

// Endings of a city's full name that the short name drops.
constexpr const char* kCitySuffixes[] = {"市", "地区", "盟"};
// What may stand between province and city, or around the whole text.
constexpr const char* kSeparators[] = {" ", "\t", "　", "/", "-", ",", "，"};
constexpr const char* kCountry = "中国";

struct GbkDivision {
    Text name;
    Text full_suffix;
    Division kind;
};

const std::vector<GbkDivision>& divisions() {
    static const std::vector<GbkDivision> table = [] {
        std::vector<GbkDivision> rows;
        for (const DivisionRow& row : kDivisions) {
            rows.push_back({gbk_text(row.name), gbk_text(row.full_suffix), row.kind});
        }
        return rows;
    }();
    return table;
}

template <size_t N>
std::vector<Text> to_gbk(const char* const (&items)[N]) {
    std::vector<Text> out;
    for (const char* item : items) out.push_back(gbk_text(item));
    return out;
}

bool starts_with(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// Drops leading separators; every separator is ASCII or a whole GBK
// character, and the text is cut only at the start of one.
std::string_view skip_separators(std::string_view text) {
    static const std::vector<Text> separators = to_gbk(kSeparators);
    bool again = true;
    while (again && !text.empty()) {
        again = false;
        for (const Text& s : separators) {
            if (starts_with(text, s)) {
                text.remove_prefix(s.size());
                again = true;
            }
        }
    }
    return text;
}

// The text up to the first separator, at a character start.
std::string_view first_word(std::string_view text) {
    size_t at = 0;
    while (at < text.size()) {
        if (skip_separators(text.substr(at)).size() != text.size() - at) break;
        at += static_cast<unsigned char>(text[at]) >= 0x80 ? 2 : 1;
    }
    return text.substr(0, std::min(at, text.size()));
}

std::string_view strip_city_suffix(std::string_view city) {
    static const std::vector<Text> suffixes = to_gbk(kCitySuffixes);
    for (const Text& s : suffixes) {
        // A GBK suffix at the very end is a whole character when the text is
        // well formed, and a name is never the suffix alone.
        if (city.size() > s.size() && city.substr(city.size() - s.size()) == s) {
            return city.substr(0, city.size() - s.size());
        }
    }
    return city;
}

}  // namespace

std::optional<SplitLocation> split_location(std::string_view location) {
    static const Text country = gbk_text(kCountry);
    static const Text province_suffix = gbk_text("省");
    static const Text city_suffix = gbk_text("市");
    std::string_view rest = skip_separators(location);
    if (starts_with(rest, country)) rest = skip_separators(rest.substr(country.size()));

    const GbkDivision* found = nullptr;
    for (const GbkDivision& d : divisions()) {
        // Longest first is not needed: no short name is the start of another.
        if (starts_with(rest, d.name)) {
            found = &d;
            break;
        }
    }
    if (!found) return std::nullopt;
    rest.remove_prefix(found->name.size());
    for (const Text& suffix : {found->full_suffix, province_suffix, city_suffix}) {
        if (starts_with(rest, suffix)) {
            rest.remove_prefix(suffix.size());
            break;
        }
    }
    rest = skip_separators(rest);

    SplitLocation result;
    result.province = found->name;
    const bool own_city =
        found->kind == Division::Municipality || found->kind == Division::SpecialRegion;
    const std::string_view city = strip_city_suffix(first_word(rest));
    result.city = own_city || city.empty() ? found->name : Text(city);
    return result;
}

}  // namespace qinghe
