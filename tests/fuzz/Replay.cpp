// Runs a fuzz target over files and folders of inputs, without libFuzzer: the normal build
// replays each target's committed corpus this way as a test, and a crashing input kept by
// `make fuzz` can be tried again under a debugger.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void Run(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // A copy of exactly the input's size, so that a read past its end shows under a sanitizer.
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    LLVMFuzzerTestOneInput(bytes.empty() ? nullptr : data, bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
    long inputs = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path path(argv[i]);
        std::vector<std::filesystem::path> files;
        if (std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::directory_iterator(path)) {
                if (entry.is_regular_file()) files.push_back(entry.path());
            }
        } else {
            files.push_back(path);
        }
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            Run(file);
            ++inputs;
        }
    }
    std::printf("%ld inputs run\n", inputs);
    // An empty corpus would pass without trying anything.
    return inputs > 0 ? 0 : 1;
}
