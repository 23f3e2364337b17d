// Runs a fuzz target's entry point once on every file of the folders (or files) named on the
// command line, without libFuzzer: the seed corpora become ordinary test cases. A broken
// invariant aborts inside the entry point; an unreadable input is an error of its own.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"

namespace {

namespace fs = std::filesystem;

// Every regular file named or found (not recursively) in the folders named, in name order.
bool CollectInputs(int argc, char** argv, std::vector<fs::path>& inputs) {
    for (int i = 1; i < argc; ++i) {
        std::error_code error;
        if (fs::is_regular_file(argv[i], error)) {
            inputs.emplace_back(argv[i]);
            continue;
        }
        fs::directory_iterator folder(argv[i], error);
        if (error) {
            std::cerr << argv[i] << ": " << error.message() << "\n";
            return false;
        }
        for (const fs::directory_entry& entry : folder)
            if (entry.is_regular_file()) inputs.push_back(entry.path());
    }
    std::sort(inputs.begin(), inputs.end());
    return true;
}

bool ReadInput(const fs::path& path, std::string& bytes) {
    std::ifstream stream(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
    return !stream.bad();
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<fs::path> inputs;
    if (argc < 2 || !CollectInputs(argc, argv, inputs)) {
        std::cerr << "usage: " << argv[0] << " CORPUS_FOLDER_OR_FILE...\n";
        return 2;
    }
    for (const fs::path& input : inputs) {
        std::string bytes;
        if (!ReadInput(input, bytes)) {
            std::cerr << input.string() << ": cannot be read\n";
            return 1;
        }
        std::cout << input.filename().string() << std::endl;
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    }
    std::cout << inputs.size() << " inputs replayed" << std::endl;
    return inputs.empty() ? 1 : 0;
}
