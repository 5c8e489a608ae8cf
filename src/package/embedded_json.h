// Reading an embedded script object with the JSON parser, and taking GBK
// texts out of what it read. Only the readers of src/package include this
// header: the parser's types stay out of every other layer.
#pragma once

#include <initializer_list>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/text.h"

namespace qinghe {

using Json = nlohmann::json;

// The object literal (GBK text, as cut_script_object gives it) read as
// JSON: turned into UTF-8, bare number keys quoted, parsed without
// exceptions. A discarded value (is_discarded()) when it is not JSON or
// nests too deep.
Json parse_script_object(std::string_view gbk_literal);

// The member reached by a path of object keys; nullptr when a step is
// missing or not an object.
const Json* json_at(const Json& value, std::initializer_list<std::string_view> path);
const Json* json_at(const Json* value, std::initializer_list<std::string_view> path);

// A string of the data (UTF-8, as the parser holds it) as GBK text: a
// character GBK lacks becomes "&#N;", control characters (a "\u0000"
// escape included) become spaces, and the ends are trimmed.
Text data_text(std::string_view utf8);

// A string value as data_text gives it; a number as its decimal text; the
// empty text for anything else, nullptr included.
Text json_text(const Json* value);

// A string member that names an address, resolved against the address of
// the page it came from ("//img…" takes the page's scheme, or https for a
// page read from disk); empty unless the result is an http or https address.
Text json_address(const Json* value, std::string_view page_address);

// The array's elements, or none when the value is not an array.
const std::vector<Json>& json_elements(const Json* value);

enum class JsonKind { Scalar, Array, Object };

struct JsonKey {
    std::string_view name;
    JsonKind kind;  // members of another kind under this name are passed over
};

// For each key, the member of that name and kind that lies shallowest in
// the tree (breadth first; members of one object in key order), or nullptr.
// Data whose module names change from year to year keeps its key names, so
// the item's own values are found wherever the modules put them.
std::vector<const Json*> find_shallowest(const Json& root, const std::vector<JsonKey>& keys);

}  // namespace qinghe
