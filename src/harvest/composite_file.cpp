#include "harvest/composite_file.h"

#include "base/files.h"
#include "package/package_format.h"

namespace qinghe {

CompositeFile::CompositeFile(Text path, RowOrder order, Appender append)
    : m_path(std::move(path)), m_order(order), m_append(std::move(append)) {
    if (!m_append) {
        m_append = [](std::string_view name, std::string_view data) {
            return append_file(name, data);
        };
    }
}

bool CompositeFile::add_row(std::string_view row) {
    std::string line;
    line.reserve(row.size() + 2);
    line.append(row).append("\r\n");
    if (m_order == RowOrder::NewestFirst) {
        m_rows.insert(0, line);
        return rewrite();
    }
    m_rows += line;
    if (m_file_current) {
        m_bytes_written += static_cast<long long>(line.size());
        if (m_append(m_path, line)) {
            return true;
        }
    }
    return rewrite();
}

bool CompositeFile::rewrite() {
    const Text& header = package_header();
    m_bytes_written += static_cast<long long>(header.size() + 2 + m_rows.size());
    m_file_current = write_file(m_path, {header, "\r\n", m_rows});
    return m_file_current;
}

}  // namespace qinghe
