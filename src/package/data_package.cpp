#include "package/data_package.h"

#include <algorithm>
#include <cstring>

#include "package/package_format.h"

namespace qinghe {

std::string_view DataPackage::composite_rows() const {
    return std::string_view(m_buffer).substr(m_begin);
}

void DataPackage::add_composite_row() {
    m_package_row = final_row_form(m_package_row);
    prepend("\r\n");
    prepend(m_package_row);
}

void DataPackage::reset() {
    m_package_row.clear();
    m_buffer.clear();
    m_buffer.shrink_to_fit();
    m_begin = 0;
}

void DataPackage::prepend(std::string_view part) {
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

DataPackage& data_package() {
    static DataPackage package;
    return package;
}

void reset_data_package() { data_package().reset(); }

}  // namespace qinghe
