#include "package/data_package.h"

#include <algorithm>
#include <cstring>

#include "package/package_format.h"

namespace qinghe {

std::string_view DataPackage::composite_rows() const { return m_composite_rows.view(); }

void DataPackage::add_composite_row() {
    m_package_row = final_row_form(m_package_row);
    m_composite_rows.prepend("\r\n");
    m_composite_rows.prepend(m_package_row);
}

void DataPackage::reset() {
    m_package_row.clear();
    m_composite_rows.clear();
}

DataPackage& data_package() {
    static DataPackage package;
    return package;
}

void reset_data_package() { data_package().reset(); }

}  // namespace qinghe
