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

#include "base/gbk_text.h"
#include "base/text.h"

namespace qinghe {

inline constexpr int kPackageColumnCount = 58;

// "|||": stands for one field-delimiting double quote until the row is final.
inline constexpr std::string_view kQuotePlaceholder = "|||";

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

// The file names of the package of one item and of the package of a batch.
inline const Text kIndependentPackageFileName = gbk_text("青禾淘图CSV独立数据包.csv");
inline const Text kCompositePackageFileName = gbk_text("青禾淘图CSV复合数据包.csv");

}  // namespace qinghe
