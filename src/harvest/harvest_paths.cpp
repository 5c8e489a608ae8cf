#include "harvest/harvest_paths.h"

#include "base/native_path.h"
#include "base/text_number.h"

namespace qinghe {

namespace {

constexpr std::string_view kIdKey = "id=";
constexpr std::string_view kSeparator = "\\";

}  // namespace

Text item_id_from_address(std::string_view address) {
    Text with_end = join_text({address, "&"});
    return split_text(split_text(with_end, kIdKey).at(2), "&").at(1);
}

Text date_time_stem(DateTime moment) {
    return join_text({number_to_text(year_of(moment)), number_to_text(month_of(moment)),
                      number_to_text(day_of(moment)), number_to_text(hour_of(moment)),
                      number_to_text(minute_of(moment)), number_to_text(second_of(moment))});
}

bool ends_in_separator(std::string_view path) {
    size_t i = 0;
    size_t last = std::string_view::npos;
    while (i < path.size()) {
        last = i;
        i += character_length(path, i);
    }
    return last != std::string_view::npos && path.size() - last == 1 && path[last] == '\\';
}

Text batch_folder_path(std::string_view save_folder, std::string_view batch_folder_name) {
    if (ends_in_separator(save_folder))
        return join_text({save_folder, batch_folder_name, kSeparator});
    return join_text({save_folder, kSeparator, batch_folder_name, kSeparator});
}

Text child_folder_path(std::string_view parent, std::string_view name) {
    Text path = join_text({parent, name});
    if (!ends_in_separator(path)) path += kSeparator;
    return path;
}

Text without_separator(std::string_view folder_path) {
    if (ends_in_separator(folder_path)) folder_path.remove_suffix(1);
    return Text(folder_path);
}

Text usable_name(std::string_view name, int max_bytes) {
    Text safe = safe_name(name);
    size_t limit = max_bytes > 8 ? static_cast<size_t>(max_bytes) : 8;
    if (safe.size() <= limit) return safe;
    // Keep an extension of up to five bytes (".jpeg") after the cut.
    std::string_view whole = safe;
    size_t dot = whole.rfind('.');
    std::string_view extension;
    if (dot != std::string_view::npos && whole.size() - dot <= 5 && dot > 0)
        extension = whole.substr(dot);
    for (char c : extension) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            extension = {};
            break;
        }
    }
    Text cut = left_characters(whole, limit - extension.size());
    cut += extension;
    return cut;
}

Text server_file_name(std::string_view address) {
    TextList parts = split_text(address, "/");
    return usable_name(parts.at(parts.count()));
}

Text local_file_link(std::string_view program_path) {
    // replace_text steps over double-byte characters, so a trail byte 0x5C
    // of a GBK character is not taken for a separator.
    return join_text({"file://", replace_text(program_path, kSeparator, "/")});
}

}  // namespace qinghe
