#include "package/embedded_json.h"

#include <deque>
#include <string>

#include "base/address_resolver.h"
#include "base/gbk.h"
#include "base/page_charset.h"
#include "package/script_object.h"

namespace qinghe {
namespace {

bool is_kind(const Json& value, JsonKind kind) {
    switch (kind) {
        case JsonKind::Scalar: return value.is_string() || value.is_number();
        case JsonKind::Array: return value.is_array();
        case JsonKind::Object: return value.is_object();
    }
    return false;
}

}  // namespace

Json parse_script_object(std::string_view gbk_literal) {
    // The literal may come from elsewhere than cut_script_object: check its
    // size and nesting again, since the JSON library walks its trees
    // recursively (copies, comparisons, output).
    const auto whole = cut_script_object(gbk_literal, 0);
    if (!whole || whole->size() != gbk_literal.size()) return Json(Json::value_t::discarded);
    return Json::parse(quote_bare_number_keys(gbk_to_utf8(gbk_literal)), nullptr, false);
}

const Json* json_at(const Json& value, std::initializer_list<std::string_view> path) {
    const Json* at = &value;
    for (std::string_view key : path) {
        if (!at->is_object()) return nullptr;
        const auto found = at->find(std::string(key));
        if (found == at->end()) return nullptr;
        at = &*found;
    }
    return at;
}

const Json* json_at(const Json* value, std::initializer_list<std::string_view> path) {
    return value ? json_at(*value, path) : nullptr;
}

Text data_text(std::string_view utf8) {
    Text text = utf8_page_to_gbk(utf8);
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    }
    return trim_text(text);
}

Text json_text(const Json* value) {
    if (!value) return {};
    if (value->is_number_unsigned()) return std::to_string(value->get<uint64_t>());
    if (value->is_number_integer()) return std::to_string(value->get<int64_t>());
    if (value->is_number_float()) return value->dump();
    if (!value->is_string()) return {};
    return data_text(value->get_ref<const std::string&>());
}

Text json_address(const Json* value, std::string_view page_address) {
    const Text reference = json_text(value);
    if (reference.empty()) return {};
    Text address = resolve_address(page_address, reference);
    return is_web_address(address) ? address : Text();
}

const std::vector<Json>& json_elements(const Json* value) {
    static const std::vector<Json> kNone;
    if (!value || !value->is_array()) return kNone;
    return value->get_ref<const Json::array_t&>();
}

std::vector<const Json*> find_shallowest(const Json& root, const std::vector<JsonKey>& keys) {
    std::vector<const Json*> found(keys.size(), nullptr);
    size_t missing = keys.size();
    std::deque<const Json*> queue{&root};
    while (!queue.empty() && missing > 0) {
        const Json* node = queue.front();
        queue.pop_front();
        if (node->is_object()) {
            for (const auto& [name, value] : node->items()) {
                for (size_t k = 0; k < keys.size(); ++k) {
                    if (!found[k] && keys[k].name == name && is_kind(value, keys[k].kind)) {
                        found[k] = &value;
                        --missing;
                    }
                }
                if (value.is_structured()) queue.push_back(&value);
            }
        } else if (node->is_array()) {
            for (const Json& element : *node) {
                if (element.is_structured()) queue.push_back(&element);
            }
        }
    }
    return found;
}

}  // namespace qinghe
