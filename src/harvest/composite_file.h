// The Composite data package file of a batch, kept up to date on disk as
// rows are added.
//
// The file holds package_file_bytes_of_final of the rows: the header, CR LF,
// then every row followed by CR LF, in the object's row order. With the rows
// oldest first, a new row is appended to the file, so the bytes written over
// a batch stay close to the final file's size and the file is complete after
// every add_row.
//
// With the rows newest first every row changes the start of the file, which
// can only be written anew. Rewrites::EveryRow does that at every add_row;
// Rewrites::WhenDoubled writes after the first row and then whenever the rows
// have doubled since the last write (1, 2, 4, 8, ... rows), and flush brings
// the file up to date at the end of the batch: the bytes written stay under
// about three times the final file's size instead of growing with the square
// of the row count.
//
// A file that may not hold the earlier rows (the first row, or a write that
// failed) and an append that fails or falls short are answered by writing the
// whole file anew from the rows in memory, under a temporary name that is
// then renamed into place: a write error never leaves a damaged file behind.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

#include "base/text.h"
#include "base/two_way_text.h"

namespace qinghe {

enum class RowOrder { OldestFirst, NewestFirst };
enum class Rewrites { EveryRow, WhenDoubled };

class CompositeFile {
public:
    // Adds bytes at the end of a file; append_file of base/files unless a
    // test puts a failing one in.
    using Appender = std::function<bool(std::string_view name, std::string_view data)>;
    // Writes a whole file from parts (temporary name, then rename);
    // write_file of base/files unless a test puts a failing one in.
    using Writer =
        std::function<bool(std::string_view name, std::initializer_list<std::string_view> parts)>;

    // path: the file's name in the program's form.
    CompositeFile(Text path, RowOrder order, Appender append = {},
                  Rewrites rewrites = Rewrites::EveryRow, Writer write = {});

    // Adds one row in final form (without its CR LF) and, as the order and
    // rewrite rule ask, brings the file up to date. False when a write was
    // due and failed; the row is kept in memory all the same and the next
    // add_row writes the whole file again.
    bool add_row(std::string_view row);

    // Writes the whole file unless it already holds every row. False when
    // that write failed.
    bool flush();

    // Moves the file to another name: the next add_row writes the whole file
    // there. The old file is left as it is (flush it first).
    void move_to(Text path);

    const Text& path() const { return m_path; }
    // The rows in the file's order, each followed by CR LF.
    std::string_view rows() const { return m_rows.view(); }
    // Bytes handed to the file system so far (whole writes and appends).
    long long bytes_written() const { return m_bytes_written; }

private:
    bool rewrite();

    Text m_path;
    RowOrder m_order;
    Rewrites m_rewrites;
    Appender m_append;
    Writer m_write;
    // Newest-first rows grow toward the front, so adding one costs its length.
    TwoWayText m_rows;
    size_t m_row_count = 0;
    size_t m_rows_on_disk = 0;    // rows the file holds, when it is current up to them
    bool m_file_current = false;  // the file holds exactly the first m_rows_on_disk rows
    long long m_bytes_written = 0;
};

}  // namespace qinghe
