#include "harvest/composite_file.h"

#include <algorithm>
#include <cstring>

#include "base/files.h"
#include "package/package_format.h"

namespace qinghe {

CompositeFile::CompositeFile(Text path, RowOrder order, Appender append, Rewrites rewrites,
                             Writer write)
    : m_path(std::move(path)),
      m_order(order),
      m_rewrites(rewrites),
      m_append(std::move(append)),
      m_write(std::move(write)) {
    if (!m_append) {
        m_append = [](std::string_view name, std::string_view data) {
            return append_file(name, data);
        };
    }
    if (!m_write) {
        m_write = [](std::string_view name, std::initializer_list<std::string_view> parts) {
            return write_file(name, parts);
        };
    }
}

bool CompositeFile::add_row(std::string_view row) {
    m_row_count += 1;
    if (m_order == RowOrder::NewestFirst) {
        m_rows.prepend("\r\n");
        m_rows.prepend(row);
        // A file behind by a failed write or a move is written at once.
        const bool due = m_rewrites == Rewrites::EveryRow || !m_file_current ||
                         m_row_count >= 2 * m_rows_on_disk;
        return due ? rewrite() : true;
    }
    m_rows.append(row);
    m_rows.append("\r\n");
    if (m_file_current) {
        const std::string_view line = rows().substr(rows().size() - row.size() - 2);
        m_bytes_written += static_cast<long long>(line.size());
        if (m_append(m_path, line)) {
            m_rows_on_disk = m_row_count;
            return true;
        }
    }
    return rewrite();
}

bool CompositeFile::flush() {
    if (m_file_current && m_rows_on_disk == m_row_count) return true;
    return rewrite();
}

void CompositeFile::move_to(Text path) {
    m_path = std::move(path);
    m_file_current = false;
}

bool CompositeFile::rewrite() {
    const Text& header = package_header();
    m_bytes_written += static_cast<long long>(header.size() + 2 + rows().size());
    m_file_current = m_write(m_path, {header, "\r\n", rows()});
    m_rows_on_disk = m_file_current ? m_row_count : 0;
    return m_file_current;
}

}  // namespace qinghe
