// An in-memory byte file with one read/write position.
#pragma once

#include "base/text.h"

namespace qinghe {

class TextBuffer {
public:
    void open();
    void write_text(std::string_view t);
    void rewind();
    // From the position to the end, stopping before a zero byte or 0x1A.
    Text read_text();
    void close();

private:
    std::string m_data;
    size_t m_position = 0;
};

}  // namespace qinghe
