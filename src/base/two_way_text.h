// A text that grows at either end. Growing at the front keeps spare room
// there (doubled when it runs out), so adding a part costs its own length
// and not a copy of everything already held.
#pragma once

#include <string>
#include <string_view>

namespace qinghe {

class TwoWayText {
public:
    void prepend(std::string_view part);
    void append(std::string_view part) { m_buffer.append(part); }
    std::string_view view() const { return std::string_view(m_buffer).substr(m_begin); }
    void clear();

private:
    std::string m_buffer;  // the text occupies [m_begin, end)
    size_t m_begin = 0;
};

}  // namespace qinghe
