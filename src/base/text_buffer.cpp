// TextBuffer: an in-memory byte file with one read/write position.
#include "base/text_buffer.h"

namespace qinghe {

namespace {

// The buffer grows in whole steps of this many bytes.
constexpr size_t kGrowthStep = 1024;
// Reading back stops before either of these bytes (end of text, end of file).
constexpr char kStopBytes[] = {'\0', '\x1A'};

}  // namespace

void TextBuffer::open() {
    m_data.clear();
    m_position = 0;
}

void TextBuffer::write_text(std::string_view t) {
    size_t end = m_position + t.size();
    if (end > m_data.capacity()) m_data.reserve((end / kGrowthStep + 1) * kGrowthStep);
    if (end > m_data.size()) m_data.resize(end);
    m_data.replace(m_position, t.size(), t);
    m_position = end;
}

void TextBuffer::rewind() { m_position = 0; }

Text TextBuffer::read_text() {
    if (m_position >= m_data.size()) return {};
    std::string_view rest(m_data);
    rest.remove_prefix(m_position);
    size_t stop = rest.find_first_of(std::string_view(kStopBytes, sizeof kStopBytes));
    Text out(rest.substr(0, stop));
    m_position += out.size();
    return out;
}

void TextBuffer::close() {
    m_data.clear();
    m_data.shrink_to_fit();
    m_position = 0;
}

}  // namespace qinghe
