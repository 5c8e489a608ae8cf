// RFC 3986 section 5.2 over GBK text. Every character the algorithm looks
// at ("/", "?", "#", ":", ".") lies below 0x40, where no GBK trail byte
// lies, so the byte walk never cuts a double-byte character.
#include "base/address_resolver.h"

#include <optional>
#include <string>

namespace qinghe {
namespace {

struct AddressParts {
    std::string_view scheme;  // without the ":"
    bool has_scheme = false;
    std::string_view authority;  // without the "//"
    bool has_authority = false;
    std::string_view path;
    std::string_view query;  // without the "?"
    bool has_query = false;
    std::string_view fragment;  // without the "#"
    bool has_fragment = false;
};

bool is_ascii_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_ascii_digit(char c) { return c >= '0' && c <= '9'; }

char ascii_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool iequals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (ascii_lower(a[i]) != ascii_lower(b[i])) return false;
    }
    return true;
}

bool istarts_with(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && iequals(text.substr(0, prefix.size()), prefix);
}

// The length of a scheme followed by ":" at the start, without the colon;
// 0 when the text does not start with one.
size_t scheme_length(std::string_view text) {
    if (text.empty() || !is_ascii_letter(text[0])) return 0;
    for (size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ':') return i;
        if (!is_ascii_letter(c) && !is_ascii_digit(c) && c != '+' && c != '-' && c != '.') return 0;
    }
    return 0;
}

AddressParts split_parts(std::string_view text) {
    AddressParts parts;
    const size_t hash = text.find('#');
    if (hash != std::string_view::npos) {
        parts.has_fragment = true;
        parts.fragment = text.substr(hash + 1);
        text = text.substr(0, hash);
    }
    const size_t question = text.find('?');
    if (question != std::string_view::npos) {
        parts.has_query = true;
        parts.query = text.substr(question + 1);
        text = text.substr(0, question);
    }
    if (const size_t n = scheme_length(text); n > 0) {
        parts.has_scheme = true;
        parts.scheme = text.substr(0, n);
        text = text.substr(n + 1);
    }
    if (text.substr(0, 2) == "//") {
        parts.has_authority = true;
        text = text.substr(2);
        const size_t slash = text.find('/');
        parts.authority = text.substr(0, slash);
        text = slash == std::string_view::npos ? std::string_view{} : text.substr(slash);
    }
    parts.path = text;
    return parts;
}

// RFC 3986 section 5.2.4.
std::string remove_dot_segments(std::string_view input) {
    std::string output;
    while (!input.empty()) {
        if (input.substr(0, 3) == "../") {
            input.remove_prefix(3);
        } else if (input.substr(0, 2) == "./") {
            input.remove_prefix(2);
        } else if (input.substr(0, 3) == "/./") {
            input.remove_prefix(2);
        } else if (input == "/.") {
            input = "/";
        } else if (input.substr(0, 4) == "/../" || input == "/..") {
            input = input.size() == 3 ? std::string_view("/") : input.substr(3);
            const size_t last = output.rfind('/');
            output.erase(last == std::string::npos ? 0 : last);
        } else if (input == "." || input == "..") {
            input = {};
        } else {
            const size_t next = input.find('/', input[0] == '/' ? 1 : 0);
            output.append(input.substr(0, next));
            input = next == std::string_view::npos ? std::string_view{} : input.substr(next);
        }
    }
    return output;
}

// RFC 3986 section 5.2.3.
std::string merge_paths(const AddressParts& base, std::string_view reference_path) {
    if (base.has_authority && base.path.empty()) {
        return "/" + std::string(reference_path);
    }
    const size_t last = base.path.rfind('/');
    std::string merged(last == std::string_view::npos ? std::string_view{}
                                                      : base.path.substr(0, last + 1));
    merged.append(reference_path);
    return merged;
}

std::string compose(std::string_view scheme, std::string_view authority, std::string path,
                    bool has_query, std::string_view query, bool has_fragment,
                    std::string_view fragment) {
    // A browser writes the empty path of a web address as "/".
    if (path.empty()) path = "/";
    std::string out;
    out.reserve(scheme.size() + authority.size() + path.size() + query.size() + fragment.size() +
                6);
    out.append(scheme).append("://").append(authority).append(path);
    if (has_query) out.append("?").append(query);
    if (has_fragment) out.append("#").append(fragment);
    return out;
}

bool is_web_scheme(std::string_view scheme) {
    return iequals(scheme, "http") || iequals(scheme, "https");
}

// Spaces and control characters (bytes up to 0x20) at either end.
std::string_view trim_controls(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 0x20) text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 0x20) text.remove_suffix(1);
    return text;
}

std::string lower_scheme(std::string_view scheme) {
    std::string out(scheme);
    for (char& c : out) c = ascii_lower(c);
    return out;
}

}  // namespace

bool is_web_address(std::string_view address) {
    return istarts_with(address, "http://") || istarts_with(address, "https://");
}

Text resolve_address(std::string_view base_address, std::string_view reference) {
    {
        const AddressParts as_given = split_parts(reference);
        if (as_given.has_scheme && (as_given.has_authority || !is_web_scheme(as_given.scheme))) {
            return Text(reference);
        }
    }
    reference = trim_controls(reference);
    AddressParts ref = split_parts(reference);
    const AddressParts base = split_parts(base_address);
    const bool web_base = base.has_scheme && base.has_authority && is_web_scheme(base.scheme);

    if (ref.has_scheme) {
        if (ref.has_authority || !is_web_scheme(ref.scheme)) return Text(reference);
        if (!(web_base && iequals(ref.scheme, base.scheme))) {
            // "https:host/path" (or "https:/host/path") names a host, as in a browser.
            std::string_view rest = reference.substr(ref.scheme.size() + 1);
            while (!rest.empty() && rest.front() == '/') rest.remove_prefix(1);
            return resolve_address({}, lower_scheme(ref.scheme) + "://" + std::string(rest));
        }
        // "http:path" against an http page is relative to that page.
        ref = split_parts(reference.substr(ref.scheme.size() + 1));
    }

    if (ref.has_authority) {
        const std::string scheme =
            web_base ? lower_scheme(base.scheme) : std::string(kSavedPageScheme);
        return compose(scheme, ref.authority, remove_dot_segments(ref.path), ref.has_query,
                       ref.query, ref.has_fragment, ref.fragment);
    }
    if (!web_base) return {};

    std::string path;
    bool has_query = ref.has_query;
    std::string_view query = ref.query;
    if (ref.path.empty()) {
        path = std::string(base.path);
        if (!ref.has_query) {
            has_query = base.has_query;
            query = base.query;
        }
    } else if (ref.path.front() == '/') {
        path = remove_dot_segments(ref.path);
    } else {
        path = remove_dot_segments(merge_paths(base, ref.path));
    }
    return compose(lower_scheme(base.scheme), base.authority, std::move(path), has_query, query,
                   ref.has_fragment, ref.fragment);
}

size_t address_start_length(std::string_view text, size_t at) {
    if (at >= text.size()) return 0;
    const std::string_view rest = text.substr(at);
    if (istarts_with(rest, "http://")) return 7;
    if (istarts_with(rest, "https://")) return 8;
    if (rest.size() > 2 && rest.substr(0, 2) == "//" && (at == 0 || text[at - 1] != ':') &&
        (is_ascii_letter(rest[2]) || is_ascii_digit(rest[2]))) {
        return 2;
    }
    return 0;
}

size_t find_address_start(std::string_view text, size_t from) {
    size_t at = from;
    while (at < text.size()) {
        if (address_start_length(text, at) > 0) return at;
        at += static_cast<unsigned char>(text[at]) >= 0x80 ? 2 : 1;
    }
    return std::string_view::npos;
}

}  // namespace qinghe
