// Test helper: a plain CSV reader that honours double-quote quoting (a
// quoted field may hold commas, line ends and doubled quotes), for checking
// written packages the way an importing program reads them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qinghe::test_support {

using CsvRecord = std::vector<std::string>;

inline std::vector<CsvRecord> read_csv(std::string_view data) {
    std::vector<CsvRecord> records;
    CsvRecord record;
    std::string field;
    bool quoted = false;
    bool any = false;
    for (size_t i = 0; i < data.size(); ++i) {
        const char c = data[i];
        any = true;
        if (quoted) {
            if (c == '"') {
                if (i + 1 < data.size() && data[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            record.push_back(field);
            field.clear();
        } else if (c == '\r' && i + 1 < data.size() && data[i + 1] == '\n') {
            ++i;
            record.push_back(field);
            records.push_back(record);
            record.clear();
            field.clear();
            any = false;
        } else {
            field += c;
        }
    }
    if (any) {
        record.push_back(field);
        records.push_back(record);
    }
    return records;
}

}  // namespace qinghe::test_support
