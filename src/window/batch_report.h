// The files and texts made from a batch's outcome record (outcome_files.h
// writes the files).
//
// 淘图报告.csv: GBK, CR LF, one line per picture under this header:
//   序号,类型,地址,图片地址,结果,原因,文件
//   序号      the address's number in the batch (1-based)
//   类型      宝贝 (item page), 图片 (picture address) or 数据包 (data package)
//   地址      the line of the address list
//   图片地址  the picture's address; empty on the line of an address that failed itself
//   结果      已保存 (saved), 已存在 (its file was there already) or 失败 (failed)
//   原因      why it failed, e.g. HTTP状态404, 超时, 不是图片; empty unless failed
//   文件      the file, inside the batch folder; empty when unknown
// An address that failed itself (a page that did not come, a block page, an
// unreadable package) has a line of its own before its pictures' lines. A
// field holding a comma, a double quote or a line break is quoted with
// doubled quotes, as spreadsheets read it.
//
// 失败地址.txt: GBK, every line ending in CR LF, ready for the address box or
// the headless runner: an address that failed itself, else the address of
// each failed picture; in batch order, each address once.
#pragma once

#include <string_view>
#include <vector>

#include "base/text.h"
#include "window/batch_outcome.h"

namespace qinghe {

Text outcome_report_file_name();  // 淘图报告.csv
Text failed_list_file_name();     // 失败地址.txt

// The reason column's text of a failure; empty for none.
Text failure_text(const Failure& failure);

// batch_folder: the batch folder's path with its closing "\\", as the
// workers build it; files below it are shown relative to it.
Text outcome_report_csv(const std::vector<AddressRecord>& records, std::string_view batch_folder);
// The report without its header line.
Text outcome_report_lines(const std::vector<AddressRecord>& records, std::string_view batch_folder);
Text failed_address_list(const std::vector<AddressRecord>& records);
// The addresses of failed_address_list, in order, each once.
std::vector<Text> failed_addresses(const std::vector<AddressRecord>& records);

// One line for the end of a batch (no line break), e.g.
// 共5个地址（宝贝3个），地址失败1个；图片新保存12个，已存在2个，失败1个
Text outcome_summary_text(const OutcomeCounts& counts);
// "，失败N个" with N = counts.failures(), to follow the end-of-batch text;
// empty when nothing failed, so that text stays as it always was.
Text failed_count_suffix(const OutcomeCounts& counts);

}  // namespace qinghe
