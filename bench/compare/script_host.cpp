#include "bench/compare/script_host.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "bench/compare/child_process.h"
#include "bench/support/bench_support.h"
#include "extension/entry/input.h"
#include "extension/frame/channel_table.h"

namespace Compare {

namespace {

// The pseudo-random sequence both loops step: x = x * 16807 mod (2^31 - 1), exact in the
// script's reals too, since every product stays below 2^46.
constexpr std::uint64_t SequenceStart = 12345;
constexpr std::uint64_t Multiplier = 16807;
constexpr std::uint64_t Modulus = 2147483647;

// The CPU time of the script's run (the fastest of the rounds), checked by what it prints.
std::optional<double> ScriptRunCpu(const std::vector<std::string>& arguments, int passes,
                                   const Repeat& repeat) {
    const std::string expected = std::to_string(4 * (passes + 1)) + "\n";
    return PerOperation(repeat, [&](size_t) -> std::optional<Round> {
        const std::optional<ProgramRun> run = RunProgram(arguments);
        if (!run || run->exitStatus != 0 || run->output != expected) {
            return Fail("script.ombra_loop", "ombra failed or missed records");
        }
        return Round{1, run->cpuNanoseconds};
    });
}

std::optional<double> OmbraPerPass(const DataSet& set, const std::string& ombra,
                                   const std::string& folder, const Repeat& repeat) {
    const std::filesystem::path data(set.path);
    std::vector<std::string> arguments = {
        ombra, "--base", data.parent_path().string(), "--state", folder + "/ombra-state", ""};
    std::optional<double> runs[2];
    for (const int passes : {0, ScriptPasses}) {
        const std::string script = folder + "/loop" + std::to_string(passes) + ".omb";
        std::ofstream(script) << InputLoopScript(data.filename().string(), set.runRecords, passes);
        arguments.back() = script;
        runs[passes == 0 ? 0 : 1] = ScriptRunCpu(arguments, passes, repeat);
    }
    if (!runs[0] || !runs[1]) return std::nullopt;
    return (*runs[1] - *runs[0]) / ScriptPasses;
}

std::optional<Round> DirectRound(size_t runRecords) {
    const ZR::UniString fieldId("1");
    ZR::Array<OmbraValueRecord> values;
    ZR::Array<ZR::UniString> strings;
    Int32 read = 0;
    size_t delivered = 0;
    std::uint64_t x = SequenceStart;
    const double started = ProcessCpuNanoseconds();
    for (int pass = 0; pass < ScriptPasses; ++pass) {
        x = x * Multiplier % Modulus;
        const ZR::UniString key(RunKey(x % runRecords).c_str());
        if (DataOmbraPlugin::InputFromChannel(1, key, fieldId, 4, &read, &values, &strings) == 0) {
            delivered += size_t(read);
        }
    }
    const double cpu = ProcessCpuNanoseconds() - started;
    if (delivered != 4 * size_t(ScriptPasses)) {
        return Fail("script.direct_loop", "an INPUT missed its record");
    }
    return Round{size_t(ScriptPasses), cpu};
}

std::optional<double> DirectPerPass(const DataSet& set, const Repeat& repeat) {
    std::unique_ptr<IO::File> file = BenchSupport::OpenForReading(set.path);
    if (!file) return Fail("script.direct_loop", "cannot open " + set.path);
    DataOmbraPlugin::ClaimChannel(1, DataOmbraPlugin::FindChannelRecord(1), file,
                                  DataOmbraPlugin::OpenSettings{}, false, false);
    const std::optional<double> cost =
        PerOperation(repeat, [&](size_t) { return DirectRound(set.runRecords); });
    DataOmbraPlugin::ReleaseChannel(*DataOmbraPlugin::FindChannelRecord(1), file);
    return cost;
}

}  // namespace

std::string InputLoopScript(const std::string& fileName, size_t runRecords, int passes) {
    const std::string records = std::to_string(runRecords);
    const std::string first = std::to_string(FirstKeyNumber);
    return "! " + std::to_string(passes) + " INPUTs of pseudo-random records of " + fileName +
           "\nch = OPEN(\"DATA\", \"" + fileName + "\", \"MODE=RO\")\n" + "total = INPUT(ch, \"" +
           RunKey(0) + "\", 1, price, quantity, colour, text)\n" +
           "x = " + std::to_string(SequenceStart) + "\n" + "FOR i = 1 TO " +
           std::to_string(passes) + "\n" + "  x = (x * " + std::to_string(Multiplier) + ") MOD " +
           std::to_string(Modulus) + "\n" + "  total = total + INPUT(ch, \"K\" + STR(INT(" + first +
           " + 2 * (x MOD " + records + "))), 1, price, quantity, colour, text)\n" + "NEXT i\n" +
           "CLOSE ch\n" + "PRINT total\n";
}

std::string CycleScript(const std::string& fileName, size_t runRecords, int cycles) {
    const std::string records = std::to_string(runRecords);
    const std::string first = std::to_string(FirstKeyNumber);
    std::string input = "  total = total + INPUT(ch, \"K\" + STR(INT(" + first + " + 2 * (x MOD " +
                        records + "))), 1, price, quantity, colour, text)\n";
    std::string step =
        "  x = (x * " + std::to_string(Multiplier) + ") MOD " + std::to_string(Modulus) + "\n";
    const std::string open = "  ch = OPEN(\"DATA\", \"" + fileName + "\", \"MODE=RO\")\n";
    // A first cycle of one INPUT, run by every script, loads the index: the difference between
    // two scripts holds their cycles alone.
    return "! " + std::to_string(cycles) + " cycles of OPEN, 3 INPUTs and CLOSE on " + fileName +
           "\ntotal = 0\nx = " + std::to_string(SequenceStart) + "\n" + open + step + input +
           "  CLOSE ch\nFOR i = 1 TO " + std::to_string(cycles) + "\n" + open + step + input +
           step + input + step + input + "  CLOSE ch\n" + "NEXT i\nPRINT total\n";
}

namespace {

// The arguments that run `script` (written first) on the data set's folder.
std::vector<std::string> CycleArguments(const DataSet& set, const std::string& ombra,
                                        const std::string& folder, int cycles) {
    const std::filesystem::path data(set.path);
    const std::string script = folder + "/cycle" + std::to_string(cycles) + ".omb";
    std::ofstream(script) << CycleScript(data.filename().string(), set.runRecords, cycles);
    return {ombra, "--base", data.parent_path().string(), "--state", folder + "/ombra-state",
            script};
}

std::string CycleOutput(int cycles) {
    return std::to_string(4 * (3 * cycles + 1)) + "\n";
}

// The "calls" column of the total line of `strace -c` output.
std::optional<double> TotalCalls(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::vector<std::string> words;
        for (std::string word; fields >> word;) words.push_back(word);
        if (!words.empty() && words.back() == "total" && words.size() >= 4) {
            return std::strtod(words[3].c_str(), nullptr);
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<double> OmbraCycle(const DataSet& set, const std::string& ombra,
                                 const std::string& folder, const Repeat& repeat) {
    std::optional<double> runs[2];
    for (const int cycles : {0, ScriptCycles}) {
        const std::vector<std::string> arguments = CycleArguments(set, ombra, folder, cycles);
        runs[cycles == 0 ? 0 : 1] = PerOperation(repeat, [&](size_t) -> std::optional<Round> {
            const std::optional<ProgramRun> run = RunProgram(arguments);
            if (!run || run->exitStatus != 0 || run->output != CycleOutput(cycles)) {
                return Fail("cycle.ombra_warm", "ombra failed or missed records");
            }
            return Round{1, run->cpuNanoseconds};
        });
    }
    if (!runs[0] || !runs[1]) return std::nullopt;
    return (*runs[1] - *runs[0]) / ScriptCycles;
}

std::optional<double> OmbraCycleSystemCalls(const DataSet& set, const std::string& ombra,
                                            const std::string& folder) {
    std::optional<double> calls[2];
    for (const int cycles : {0, ScriptCycles}) {
        const std::string counts = folder + "/strace" + std::to_string(cycles) + ".txt";
        std::vector<std::string> arguments = {"strace", "-f", "-c", "-o", counts};
        for (std::string& argument : CycleArguments(set, ombra, folder, cycles)) {
            arguments.push_back(std::move(argument));
        }
        const std::optional<ProgramRun> run = RunProgram(arguments);
        if (!run || run->exitStatus != 0 || run->output != CycleOutput(cycles)) {
            return Fail("cycle.syscalls", "strace or ombra failed");
        }
        calls[cycles == 0 ? 0 : 1] = TotalCalls(counts);
    }
    if (!calls[0] || !calls[1]) return Fail("cycle.syscalls", "no total in strace's counts");
    return (*calls[1] - *calls[0]) / ScriptCycles;
}

std::optional<ScriptCost> MeasureScriptHost(const DataSet& set, const std::string& ombra,
                                            const std::string& folder, const Repeat& repeat) {
    const std::optional<double> ombraPerPass = OmbraPerPass(set, ombra, folder, repeat);
    const std::optional<double> directPerPass = DirectPerPass(set, repeat);
    if (!ombraPerPass || !directPerPass) return std::nullopt;
    return ScriptCost{*ombraPerPass, *directPerPass};
}

}  // namespace Compare
