// Runs a fuzz target's entry point once on every file of the folders (or files) named on the
// command line, in name order, without libFuzzer: the seed corpora become ordinary test cases.
// A broken invariant aborts inside the entry point.
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
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        std::error_code error;
        if (fs::is_regular_file(argv[i], error))
            inputs.emplace_back(argv[i]);
        else
            for (const fs::directory_entry& entry : fs::directory_iterator(argv[i], error))
                if (entry.is_regular_file()) inputs.push_back(entry.path());
        if (error) {
            std::cerr << argv[i] << ": " << error.message() << "\n";
            return 2;
        }
    }
    std::sort(inputs.begin(), inputs.end());
    for (const fs::path& input : inputs) {
        std::ifstream stream(input, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(stream),
                                std::istreambuf_iterator<char>()};
        if (stream.bad()) {
            std::cerr << input.string() << ": cannot be read\n";
            return 1;
        }
        std::cout << input.filename().string() << std::endl;
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    std::cout << inputs.size() << " inputs replayed" << std::endl;
    return inputs.empty() ? 1 : 0;
}
