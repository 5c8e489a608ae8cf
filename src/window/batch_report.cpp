#include "window/batch_report.h"

#include <set>

#include "base/gbk_text.h"

namespace qinghe {

namespace {

Text kind_text(AddressKind kind) {
    switch (kind) {
        case AddressKind::Item: return gbk_text("宝贝");
        case AddressKind::Picture: return gbk_text("图片");
        case AddressKind::Package: return gbk_text("数据包");
    }
    return {};
}

Text result_text(PictureState result) {
    switch (result) {
        case PictureState::Saved: return gbk_text("已保存");
        case PictureState::Skipped: return gbk_text("已存在");
        case PictureState::Failed: return gbk_text("失败");
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
        case FailureReason::None: return {};
        case FailureReason::HttpStatus:
            return join_text({gbk_text("HTTP状态"), std::to_string(failure.http_status)});
        case FailureReason::TimedOut: return gbk_text("超时");
        case FailureReason::Broken: return gbk_text("连接中断");
        case FailureReason::NoConnection: return gbk_text("无法连接");
        case FailureReason::Refused: return gbk_text("地址被拒绝");
        case FailureReason::TooManyRedirects: return gbk_text("重定向过多");
        case FailureReason::TooLarge: return gbk_text("文件过大");
        case FailureReason::NotAPicture: return gbk_text("不是图片");
        case FailureReason::Blocked: return gbk_text("被拦截");
        case FailureReason::NotWritten: return gbk_text("无法写入");
        case FailureReason::Stopped: return gbk_text("已停止");
        case FailureReason::Other: return gbk_text("其他错误");
    }
    return {};
}

Text outcome_report_csv(const std::vector<AddressRecord>& records, std::string_view batch_folder) {
    return csv_line({gbk_text("序号"), gbk_text("类型"), gbk_text("地址"), gbk_text("图片地址"),
                     gbk_text("结果"), gbk_text("原因"), gbk_text("文件")}) +
           outcome_report_lines(records, batch_folder);
}

Text outcome_report_lines(const std::vector<AddressRecord>& records,
                          std::string_view batch_folder) {
    Text csv;
    for (const AddressRecord& record : records) {
        const Text number = std::to_string(record.index);
        const Text kind = kind_text(record.kind);
        if (record.failure.failed()) {
            csv += csv_line({number, kind, record.address, "", result_text(PictureState::Failed),
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

std::vector<Text> failed_addresses(const std::vector<AddressRecord>& records) {
    std::vector<Text> out;
    std::set<Text> listed;
    auto add = [&](const Text& address) {
        if (!address.empty() && listed.insert(address).second) out.push_back(address);
    };
    for (const AddressRecord& record : records) {
        // Running the address again redoes its pictures too.
        if (record.failure.failed()) {
            add(record.address);
            continue;
        }
        for (const PictureRecord& picture : record.pictures) {
            if (picture.result == PictureState::Failed) add(picture.address);
        }
    }
    return out;
}

Text failed_address_list(const std::vector<AddressRecord>& records) {
    Text list;
    for (const Text& address : failed_addresses(records)) list += address + "\r\n";
    return list;
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
