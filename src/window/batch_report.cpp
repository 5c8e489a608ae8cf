#include "window/batch_report.h"

#include <set>

#include "base/files.h"
#include "base/gbk_text.h"

namespace qinghe {

namespace {

Text kind_text(AddressKind kind) {
    switch (kind) {
    case AddressKind::Item:
        return gbk_text("宝贝");
    case AddressKind::Picture:
        return gbk_text("图片");
    case AddressKind::Package:
        return gbk_text("数据包");
    }
    return {};
}

Text result_text(PictureResult result) {
    switch (result) {
    case PictureResult::Saved:
        return gbk_text("已保存");
    case PictureResult::Skipped:
        return gbk_text("已存在");
    case PictureResult::Failed:
        return gbk_text("失败");
    }
    return {};
}

// A field as spreadsheets read it. GBK's second bytes are never a comma, a
// quote or a line break, so looking at single bytes is safe.
Text csv_field(std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) return Text(field);
    Text out = "\"";
    for (char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

Text csv_line(std::initializer_list<std::string_view> fields) {
    Text line;
    bool first = true;
    for (std::string_view field : fields) {
        if (!first) line += ',';
        line += csv_field(field);
        first = false;
    }
    return line + "\r\n";
}

std::string_view inside_folder(std::string_view file, std::string_view folder) {
    if (!folder.empty() && file.substr(0, folder.size()) == folder) {
        file.remove_prefix(folder.size());
    }
    return file;
}

}  // namespace

Text outcome_report_file_name() { return gbk_text("淘图报告.csv"); }

Text failed_list_file_name() { return gbk_text("失败地址.txt"); }

Text failure_text(const Failure& failure) {
    switch (failure.reason) {
    case FailureReason::None:
        return {};
    case FailureReason::HttpStatus:
        return join_text({gbk_text("HTTP状态"), std::to_string(failure.http_status)});
    case FailureReason::TimedOut:
        return gbk_text("超时");
    case FailureReason::Broken:
        return gbk_text("连接中断");
    case FailureReason::NoConnection:
        return gbk_text("无法连接");
    case FailureReason::Refused:
        return gbk_text("地址被拒绝");
    case FailureReason::TooManyRedirects:
        return gbk_text("重定向过多");
    case FailureReason::TooLarge:
        return gbk_text("文件过大");
    case FailureReason::NotAPicture:
        return gbk_text("不是图片");
    case FailureReason::Blocked:
        return gbk_text("被拦截");
    case FailureReason::NotWritten:
        return gbk_text("无法写入");
    case FailureReason::Other:
        return gbk_text("其他错误");
    }
    return {};
}

Text outcome_report_csv(const std::vector<AddressRecord>& records, std::string_view batch_folder) {
    Text csv = csv_line({gbk_text("序号"), gbk_text("类型"), gbk_text("地址"), gbk_text("图片地址"),
                         gbk_text("结果"), gbk_text("原因"), gbk_text("文件")});
    for (const AddressRecord& record : records) {
        const Text number = std::to_string(record.index);
        const Text kind = kind_text(record.kind);
        if (record.failure.failed()) {
            csv += csv_line({number, kind, record.address, "", result_text(PictureResult::Failed),
                             failure_text(record.failure), ""});
        }
        for (const PictureRecord& picture : record.pictures) {
            csv += csv_line({number, kind, record.address, picture.address,
                             result_text(picture.result), failure_text(picture.failure),
                             inside_folder(picture.file, batch_folder)});
        }
    }
    return csv;
}

Text failed_address_list(const std::vector<AddressRecord>& records) {
    Text list;
    std::set<Text> listed;
    auto add = [&](const Text& address) {
        if (address.empty() || !listed.insert(address).second) return;
        list += address + "\r\n";
    };
    for (const AddressRecord& record : records) {
        // Running the address again redoes its pictures too.
        if (record.failure.failed()) {
            add(record.address);
            continue;
        }
        for (const PictureRecord& picture : record.pictures) {
            if (picture.result == PictureResult::Failed) add(picture.address);
        }
    }
    return list;
}

bool write_outcome_files(std::string_view batch_folder, const std::vector<AddressRecord>& records) {
    const bool report = write_file(join_text({batch_folder, outcome_report_file_name()}),
                                   outcome_report_csv(records, batch_folder));
    const bool list = write_file(join_text({batch_folder, failed_list_file_name()}),
                                 failed_address_list(records));
    return report && list;
}

bool write_outcome_files_if_failed(std::string_view batch_folder, const BatchOutcome& outcome) {
    const std::vector<AddressRecord> records = outcome.records();
    return count_outcome(records).any_failed() && write_outcome_files(batch_folder, records);
}

Text outcome_summary_text(const OutcomeCounts& counts) {
    return join_text({gbk_text("共"), std::to_string(counts.addresses), gbk_text("个地址（宝贝"),
                      std::to_string(counts.items), gbk_text("个），地址失败"),
                      std::to_string(counts.addresses_failed), gbk_text("个；图片新保存"),
                      std::to_string(counts.pictures_saved), gbk_text("个，已存在"),
                      std::to_string(counts.pictures_skipped), gbk_text("个，失败"),
                      std::to_string(counts.pictures_failed), gbk_text("个")});
}

Text failed_count_suffix(const OutcomeCounts& counts) {
    if (!counts.any_failed()) return {};
    return join_text({gbk_text("，失败"), std::to_string(counts.failures()), gbk_text("个")});
}

}  // namespace qinghe
