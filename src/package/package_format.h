// The Taobao Assistant CSV package on disk: header, placeholder form of a
// row, conversion to final form and the bytes of a package file.
//
// A row is built in placeholder form: every field-delimiting double quote is
// written as "|||", so the quotes that came with page data can be told apart
// from the delimiters until the row is finished. Converting a row collapses
// runs of three or more data quotes to two and only then turns the
// placeholders into quotes.
#pragma once

#include <string_view>

#include "base/text.h"

namespace qinghe {

inline constexpr int kPackageColumnCount = 58;

// "|||": stands for one field-delimiting double quote until the row is final.
inline constexpr std::string_view kQuotePlaceholder = "|||";

struct PackageColumn {
    std::string_view english;
    std::string_view chinese;  // GBK
};

// The 58 columns in header order.
const PackageColumn (&package_columns())[kPackageColumnCount];

// "version 1.00" CR LF English names CR LF Chinese names, without a final
// line end.
const Text& package_header();

// Placeholder form to final form: runs of three or more double quotes become
// two, then every "|||" becomes one double quote. A row must go through this
// exactly once; a second pass would eat quotes of the first.
Text final_row_form(std::string_view placeholder_row);

// Converts text to final form in place and returns the file bytes: the
// header, CR LF, the converted text.
Bytes package_file_bytes(Text& text);

// The file bytes of rows already in final form.
Bytes package_file_bytes_of_final(std::string_view final_rows);

// "青禾淘图CSV独立数据包.csv" and "青禾淘图CSV复合数据包.csv".
inline constexpr std::string_view kIndependentPackageFileName =
    "\xC7\xE0\xBA\xCC\xCC\xD4\xCD\xBC" "CSV\xB6\xC0\xC1\xA2\xCA\xFD\xBE\xDD\xB0\xFC.csv";
inline constexpr std::string_view kCompositePackageFileName =
    "\xC7\xE0\xBA\xCC\xCC\xD4\xCD\xBC" "CSV\xB8\xB4\xBA\xCF\xCA\xFD\xBE\xDD\xB0\xFC.csv";

}  // namespace qinghe
