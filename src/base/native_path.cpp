// The program's paths ("\\", GBK) and the file system's (POSIX "/", UTF-8).
#include "base/native_path.h"

#include "base/gbk.h"

namespace qinghe {

std::string to_native_path(std::string_view program_path) {
    std::string gbk;
    gbk.reserve(program_path.size());
    for (size_t i = 0; i < program_path.size();) {
        size_t n = gbk_character_length(program_path, i);
        if (n == 1 && program_path[i] == '\\') {
            gbk.push_back('/');
        } else {
            gbk.append(program_path.substr(i, n));
        }
        i += n;
    }
    // Bytes that are not GBK become U+FFFD: such a name still maps to one
    // file, and never to a separator.
    return gbk_to_utf8(gbk);
}

bool from_native_path(std::string_view native_path, Text& program_path) {
    // "/" stays "/": the program shows native folders as they are, and its
    // own "\\" joins map back to "/" on the way out.
    return utf8_to_gbk(native_path, program_path);
}

Text safe_name(std::string_view name) {
    Text out;
    out.reserve(name.size());
    bool only_dots_and_spaces = true;
    for (size_t i = 0; i < name.size();) {
        size_t n = gbk_character_length(name, i);
        if (n == 2) {
            out.append(name.substr(i, 2));
            only_dots_and_spaces = false;
            i += 2;
            continue;
        }
        const auto b = static_cast<unsigned char>(name[i]);
        // Separators and drive colons would leave the folder; control bytes
        // and the characters Windows refuses in names make files that cannot
        // be opened again; "*" and "?" would act as wildcards in file_exists.
        // A high byte that starts no double-byte character here (0x80, 0xFF,
        // a lead byte without its trail byte) would be read by the text
        // scans as the first half of a character: at the end of a folder
        // name it would swallow the "\\" joined after it.
        const bool unsafe = b < 0x20 || b == 0x7F || b >= 0x80 || b == '\\' || b == '/' ||
                            b == ':' || b == '*' || b == '?' || b == '"' || b == '<' || b == '>' ||
                            b == '|';
        out.push_back(unsafe ? '_' : static_cast<char>(b));
        if (b != '.' && b != ' ') {
            only_dots_and_spaces = false;
        }
        ++i;
    }
    // "", ".", ".." and the like name the folder itself or its parent.
    if (only_dots_and_spaces) {
        return "_";
    }
    return out;
}

}  // namespace qinghe
