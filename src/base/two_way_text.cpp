#include "base/two_way_text.h"

#include <algorithm>
#include <cstring>

namespace qinghe {

void TwoWayText::prepend(std::string_view part) {
    if (part.size() > m_begin) {
        const size_t used = m_buffer.size() - m_begin;
        const size_t room = std::max(used + part.size(), used * 2) + 4096;
        std::string grown(room + used, '\0');
        std::memcpy(grown.data() + room, m_buffer.data() + m_begin, used);
        m_buffer.swap(grown);
        m_begin = room;
    }
    m_begin -= part.size();
    std::memcpy(m_buffer.data() + m_begin, part.data(), part.size());
}

void TwoWayText::clear() {
    m_buffer.clear();
    m_buffer.shrink_to_fit();
    m_begin = 0;
}

}  // namespace qinghe
