// Runs a fuzz target's entry point once on every file of the seed corpus folder named on the
// command line, in name order, without libFuzzer: the corpus becomes an ordinary test case. A
// broken invariant aborts inside the entry point; so does a folder that cannot be read.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    if (argc != 2) {
        std::cerr << "usage: " << argv[0] << " CORPUS_FOLDER\n";
        return 2;
    }
    std::vector<fs::path> inputs(fs::directory_iterator(argv[1]), fs::directory_iterator{});
    std::sort(inputs.begin(), inputs.end());
    for (const fs::path& input : inputs) {
        std::ifstream stream(input, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(stream),
                                std::istreambuf_iterator<char>()};
        if (!stream.is_open() || stream.bad()) {
            std::cerr << input.string() << ": cannot be read\n";
            return 1;
        }
        std::cout << input.filename().string() << std::endl;
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    std::cout << inputs.size() << " inputs replayed" << std::endl;
    return inputs.empty() ? 1 : 0;
}
