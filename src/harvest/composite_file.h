// The Composite data package file of a batch, kept up to date on disk as
// rows are added.
//
// After every add_row the file holds exactly package_file_bytes_of_final of
// the rows so far: the header, CR LF, then every row followed by CR LF, in
// the object's row order. With the rows oldest first, a new row is appended
// to the file, so the bytes written over a batch stay close to the final
// file's size. With the rows newest first every row changes the start of the
// file, which is then written anew each time.
//
// A file that may not hold the earlier rows (the first row, or a write that
// failed) and an append that fails or falls short are answered by writing the
// whole file anew from the rows in memory, under a temporary name that is
// then renamed into place: a write error never leaves a damaged file behind.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "base/text.h"

namespace qinghe {

enum class RowOrder { OldestFirst, NewestFirst };

class CompositeFile {
public:
    // Adds bytes at the end of a file; append_file of base/files unless a
    // test puts a failing one in.
    using Appender = std::function<bool(std::string_view name, std::string_view data)>;

    // path: the file's name in the program's form.
    CompositeFile(Text path, RowOrder order, Appender append = {});

    // Adds one row in final form (without its CR LF) and brings the file up
    // to date. False when the file could not be written; the row is kept in
    // memory all the same and the next add_row writes the whole file again.
    bool add_row(std::string_view row);

    // The rows in the file's order, each followed by CR LF.
    std::string_view rows() const { return m_rows; }
    // Bytes handed to the file system so far (whole writes and appends).
    long long bytes_written() const { return m_bytes_written; }

private:
    bool rewrite();

    Text m_path;
    RowOrder m_order;
    Appender m_append;
    std::string m_rows;
    bool m_file_current = false;  // the file holds exactly the rows before this one
    long long m_bytes_written = 0;
};

}  // namespace qinghe
