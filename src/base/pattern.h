// Perl-compatible pattern search over byte text ("." matches line breaks).
#pragma once

#include <memory>
#include <vector>

#include "base/text.h"

namespace qinghe {

struct MatchGroup {
    int offset = 0;  // 0-based byte offset into the searched text
    int length = 0;
    bool matched = false;
};

struct MatchResult {
    std::vector<MatchGroup> groups;  // groups[0] is the whole match
};

class PatternObject {
public:
    PatternObject();
    ~PatternObject();
    PatternObject(PatternObject&&) noexcept;
    PatternObject& operator=(PatternObject&&) noexcept;

    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

bool compile_pattern(PatternObject& pattern, std::string_view pattern_text,
                     bool case_sensitive = true);
std::vector<MatchResult> search_all(const PatternObject& pattern, std::string_view text);
Text match_text(const MatchResult& result, std::string_view text);

}  // namespace qinghe
