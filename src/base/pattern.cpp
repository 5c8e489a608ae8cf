// Pattern search on Boost.Regex, Perl syntax, byte-wise over GBK text.
#include "base/pattern.h"

#include <boost/regex.hpp>

#include <exception>
#include <optional>

namespace qinghe {

struct PatternObject::Impl {
    // Empty when nothing compiled: searches then find nothing.
    std::optional<boost::regex> regex;
};

PatternObject::PatternObject() : m_impl(std::make_unique<Impl>()) {}
PatternObject::~PatternObject() = default;
PatternObject::PatternObject(PatternObject&&) noexcept = default;
PatternObject& PatternObject::operator=(PatternObject&&) noexcept = default;

bool compile_pattern(PatternObject& pattern, std::string_view pattern_text, bool case_sensitive) {
    if (!pattern.m_impl) {
        pattern.m_impl = std::make_unique<PatternObject::Impl>();
    }
    // A failed compile leaves no pattern behind, not the previous one.
    pattern.m_impl->regex.reset();
    // mod_s: "." matches every byte, line breaks included.
    auto flags = boost::regex_constants::perl | boost::regex_constants::mod_s;
    if (!case_sensitive) {
        flags |= boost::regex_constants::icase;
    }
    try {
        pattern.m_impl->regex.emplace(pattern_text.begin(), pattern_text.end(), flags);
        return true;
    } catch (const std::exception&) {
        pattern.m_impl->regex.reset();
        return false;
    }
}

std::vector<MatchResult> search_all(const PatternObject& pattern, std::string_view text) {
    std::vector<MatchResult> results;
    if (text.empty() || !pattern.m_impl || !pattern.m_impl->regex) {
        return results;
    }
    const boost::regex& regex = *pattern.m_impl->regex;
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* from = begin;
    try {
        while (from <= end) {
            boost::cmatch m;
            // Each search treats its starting point as the start of the text
            // (no match_prev_avail), so "^" and "\b" see a fresh start there.
            if (!boost::regex_search(from, end, m, regex, boost::regex_constants::match_default)) {
                break;
            }
            MatchResult r;
            r.groups.resize(m.size());
            const int base = static_cast<int>(from - begin);
            for (size_t i = 0; i < m.size(); ++i) {
                if (m[i].matched) {
                    r.groups[i].offset = base + static_cast<int>(m.position(i));
                    r.groups[i].length = static_cast<int>(m.length(i));
                    r.groups[i].matched = true;
                }
            }
            const char* match_end = m[0].second;
            results.push_back(std::move(r));
            // An empty match would find itself again: step one byte on.
            if (match_end == m[0].first) {
                if (match_end == end) {
                    break;
                }
                ++match_end;
            }
            from = match_end;
        }
    } catch (const std::exception&) {
        // The matcher gave up (complexity or memory limit): keep what was found.
    }
    return results;
}

Text match_text(const MatchResult& result, std::string_view text) {
    if (result.groups.empty() || !result.groups[0].matched) {
        return {};
    }
    const MatchGroup& g = result.groups[0];
    if (g.offset < 0 || g.length <= 0 || static_cast<size_t>(g.offset) > text.size()) {
        return {};
    }
    return Text(text.substr(static_cast<size_t>(g.offset), static_cast<size_t>(g.length)));
}

}  // namespace qinghe
