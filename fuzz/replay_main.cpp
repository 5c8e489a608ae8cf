// Replays fuzz inputs through a fuzz target without libFuzzer, so that the
// kept regression inputs and the seed corpora run in every normal build (and
// under the sanitizer build of CI). Arguments are files or folders; folders
// are read recursively. A crash or a broken invariant aborts the program.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool replay_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return false;
    }
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int replayed = 0;
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path root(argv[i]);
        std::error_code error;
        if (std::filesystem::is_directory(root, error)) {
            std::vector<std::filesystem::path> files;
            for (const auto& entry : std::filesystem::recursive_directory_iterator(root, error)) {
                if (entry.is_regular_file()) files.push_back(entry.path());
            }
            for (const auto& file : files) {
                ok = replay_file(file) && ok;
                ++replayed;
            }
        } else if (std::filesystem::exists(root, error)) {
            ok = replay_file(root) && ok;
            ++replayed;
        }
        // A missing folder (no regression found yet) is no error.
    }
    std::printf("replayed %d inputs\n", replayed);
    return ok ? 0 : 1;
}
