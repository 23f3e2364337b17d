// Runs one case file (see README.md) against the built ombra and DATA module: makes a fresh
// folder, writes the files of each run, runs ombra in it and compares what came out. Prints every
// difference and exits with 1 when there is one, 2 when the case file itself is wrong.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/child_process.h"
#include "tests/support/core_binding.h"
#include "tests/support/temp_folder.h"

namespace {

struct CaseError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// One run of ombra: what is put in the folder before it, how it is started, what must come out.
struct Run {
    std::string label;                                       // how messages name the run
    bool emptied = false;                                    // the folder is emptied before the run
    std::vector<std::pair<std::string, std::string>> files;  // written before the run
    std::vector<std::string> folders;                        // made before the run
    std::vector<std::string> removed;                        // removed before the run
    std::optional<std::string> script;                       // written as the script file
    std::string scriptName;
    std::vector<std::string> arguments;  // before the script's name
    std::string input;
    bool terminal = false;  // the input is typed ahead on a terminal
    std::string out, err;
    int exitStatus = 0;
    std::vector<std::pair<std::string, std::string>> after;  // files that must hold these bytes
    std::vector<std::string> absent;                         // files that must not exist

    // Says nothing: the place before or after an `each` section with no sections of its own.
    bool Empty() const {
        return !emptied && files.empty() && folders.empty() && removed.empty() && !script &&
               arguments.empty() && input.empty() && out.empty() && err.empty() &&
               exitStatus == 0 && after.empty() && absent.empty();
    }
};

struct Section {
    std::string kind, name, lineEnd;
    std::vector<std::string> lines;
    int lineNumber = 0;
};

// The arguments of a placeholder: words, or texts in single quotes (which may be empty).
std::vector<std::string> PlaceholderWords(const std::string& text) {
    if (std::count(text.begin(), text.end(), '\'') % 2 != 0)
        throw CaseError("unclosed quote in {" + text + "}");
    static const std::regex word("'([^']*)'|([^ ']+)");
    std::vector<std::string> words;
    for (std::sregex_iterator at(text.begin(), text.end(), word), end; at != end; ++at)
        words.push_back((*at)[1].matched ? (*at)[1].str() : (*at)[2].str());
    return words;
}

int Number(const std::string& word) {
    std::size_t used = 0;
    const int value = std::stoi(word, &used);
    if (used != word.size()) throw CaseError("not a number: " + word);
    return value;
}

std::string Placeholder(const std::string& text, const std::string& folder) {
    const std::vector<std::string> words = PlaceholderWords(text);
    if (words.size() == 1 && words[0] == "folder") return folder;
    if (words.size() == 3 && words[0] == "repeat") {
        std::string out;
        for (int count = Number(words[1]); count > 0; --count) out += words[2];
        return out;
    }
    if (words.size() == 3 && words[0] == "text") {
        return OmbraTest::ModuleMessage(Int16(Number(words[1])), Int16(Number(words[2])));
    }
    if ((words.size() == 4 || words.size() == 5) && words[0] == "report") {
        return OmbraTest::ModuleReport(Int16(Number(words[1])), Int16(Number(words[2])), words[3],
                                       words.size() == 5 ? words[4] : "");
    }
    throw CaseError("unknown placeholder {" + text + "}");
}

// `text` with its escapes and placeholders expanded.
std::string Expand(const std::string& text, const std::string& folder) {
    std::string out;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '{') {
            std::size_t end = at + 1;
            for (int depth = 1; end < text.size(); ++end) {
                if (text[end] == '\\')
                    ++end;
                else if (text[end] == '{')
                    ++depth;
                else if (text[end] == '}' && --depth == 0)
                    break;
            }
            if (end >= text.size()) throw CaseError("unclosed {: " + text);
            out += Placeholder(Expand(text.substr(at + 1, end - at - 1), folder), folder);
            at = end;
            continue;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++at == text.size()) throw CaseError("a lone backslash ends: " + text);
        static const std::string escapes = "rnt0\\{", bytes("\r\n\t\0\\{", 6);
        if (const std::size_t which = escapes.find(text[at]); which != std::string::npos) {
            out += bytes[which];
            continue;
        }
        const std::string hex = text.substr(at + 1, 2);
        if (text[at] != 'x') throw CaseError(std::string("unknown escape \\") + text[at]);
        if (hex.size() != 2 || hex.find_first_not_of("0123456789abcdefABCDEF") != hex.npos) {
            throw CaseError("\\x needs two hex digits: " + text);
        }
        out += char(std::stoi(hex, nullptr, 16));
        at += 2;
    }
    return out;
}

// The bytes of a section: each line expanded and followed by the section's line end, except a
// line ending in a backslash, which gets none.
std::string Bytes(const Section& section, const std::string& folder) {
    const std::string lineEnd = section.lineEnd == "cr"     ? "\r"
                                : section.lineEnd == "crlf" ? "\r\n"
                                : section.lineEnd == "none" ? ""
                                                            : "\n";
    std::string bytes;
    for (std::string line : section.lines) {
        // npos + 1 wraps to 0: a line of backslashes alone counts them all.
        const std::size_t backslashes = line.size() - 1 - line.find_last_not_of('\\');
        const bool joined = backslashes % 2 == 1;
        if (joined) line.pop_back();
        bytes += Expand(line, folder) + (joined ? "" : lineEnd);
    }
    return bytes;
}

std::vector<Section> ReadSections(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw CaseError("cannot read " + path);
    std::vector<Section> sections;
    std::string line;
    static const std::regex header(R"(--- (\S+) *(.*?) *(?:\[(cr|crlf|lf|none)\])?)");
    std::smatch match;
    for (int number = 1; std::getline(file, line); ++number) {
        if (std::regex_match(line, match, header)) {
            sections.push_back({match[1].str(), match[2].str(), match[3].str(), {}, number});
        } else if (!sections.empty()) {
            sections.back().lines.push_back(line);
        } else if (!line.empty() && line[0] != '#') {
            throw CaseError(path + ":" + std::to_string(number) + ": text before the first ---");
        }
    }
    return sections;
}

// A line of an `each` section: "SCRIPT => STDOUT", "SCRIPT =>N STDERR" for a run that ends with
// exit status N, or "SCRIPT => STDOUT =>N STDERR"; the script and each expected text get a line
// end when not empty.
Run EachRun(const std::string& line, const std::string& folder) {
    const CaseError malformed("an each line needs 'SCRIPT => TEXT': " + line);
    std::size_t arrow = line.find(" =>");
    if (arrow == std::string::npos) throw malformed;
    Run run;
    run.label = line.substr(0, arrow);
    run.script = Expand(run.label, folder) + "\n";
    run.scriptName = "t.omb";
    while (arrow != std::string::npos) {
        const std::size_t text = line.find(' ', arrow + 1);
        if (text == std::string::npos) throw malformed;
        const std::size_t next = line.find(" =>", text);
        const std::string status = line.substr(arrow + 3, text - arrow - 3);
        std::string expected = Expand(line.substr(text + 1, next - text - 1), folder);
        if (!expected.empty()) expected += "\n";
        (status.empty() ? run.out : run.err) = expected;
        if (!status.empty()) run.exitStatus = Number(status);
        arrow = next;
    }
    return run;
}

std::vector<Run> ReadRuns(const std::string& path, const std::string& folder) {
    std::vector<Run> runs(1);
    for (const Section& s : ReadSections(path)) {
        Run& run = runs.back();
        const std::string name = Expand(s.name, folder);
        const std::string where = path + ":" + std::to_string(s.lineNumber) + ": ";
        if (s.kind == "each") {
            for (const std::string& line : s.lines) {
                if (line.empty() || line[0] == '#') continue;
                runs.push_back(EachRun(line, folder));
            }
            runs.emplace_back();  // what follows starts a run of its own
        } else if (s.kind == "run") {
            if (!name.empty() && name != "new") throw CaseError(where + "'run' or 'run new'");
            runs.emplace_back().emptied = name == "new";
        } else if (s.kind == "file") {
            run.files.emplace_back(name, Bytes(s, folder));
        } else if (s.kind == "folder") {
            run.folders.push_back(name);
        } else if (s.kind == "remove") {
            run.removed.push_back(name);
        } else if (s.kind == "script") {
            run.script = Bytes(s, folder);
            run.scriptName = name.empty() ? "t.omb" : name;
        } else if (s.kind == "args") {
            std::istringstream words(s.name);
            for (std::string word; words >> word;) run.arguments.push_back(Expand(word, folder));
            for (const std::string& line : s.lines) run.arguments.push_back(Expand(line, folder));
        } else if (s.kind == "stdin" || s.kind == "terminal") {
            run.input = Bytes(s, folder);
            run.terminal = s.kind == "terminal";
        } else if (s.kind == "stdout") {
            run.out = Bytes(s, folder);
        } else if (s.kind == "stderr") {
            run.err = Bytes(s, folder);
        } else if (s.kind == "exit") {
            run.exitStatus = Number(name);
        } else if (s.kind == "after") {
            run.after.emplace_back(name, Bytes(s, folder));
        } else if (s.kind == "absent") {
            run.absent.push_back(name);
        } else {
            throw CaseError(where + "unknown section '" + s.kind + "'");
        }
    }
    std::erase_if(runs, [](const Run& run) { return run.Empty(); });
    return runs;
}

// Bytes as a case file would write them, for the messages.
std::string Shown(const std::string& bytes) {
    std::string out;
    for (const unsigned char c : bytes) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        out += c == '\n'               ? "\\n\n    "
               : c == '\r'             ? "\\r"
               : c == '\t'             ? "\\t"
               : c < 0x20 || c >= 0x7F ? hex
                                       : std::string(1, char(c));
    }
    return out;
}

int failures = 0;

void Compare(const std::string& run, const std::string& what, const std::string& expected,
             const std::string& actual) {
    if (expected == actual) return;
    ++failures;
    std::printf("%s, %s:\n  expected: %s\n  actual:   %s\n", run.c_str(), what.c_str(),
                Shown(expected).c_str(), Shown(actual).c_str());
}

int RunCase(const std::string& ombra, const std::string& path) {
    const OmbraTest::TempFolder folder;
    const std::vector<Run> runs = ReadRuns(path, folder.Path());
    std::string script, scriptName;
    for (std::size_t index = 0; index < runs.size(); ++index) {
        const Run& run = runs[index];
        const std::string number =
            run.label.empty() ? "run " + std::to_string(index + 1) : "'" + run.label + "'";
        std::error_code error;
        if (run.emptied) {
            std::filesystem::remove_all(folder.Path(), error);
            if (error || !std::filesystem::create_directory(folder.Path(), error))
                throw CaseError("cannot empty the folder");
        }
        for (const std::string& name : run.removed) {
            if (!std::filesystem::remove_all(folder.PathOf(name), error) || error) {
                throw CaseError("cannot remove " + name);
            }
        }
        for (const std::string& name : run.folders) {
            if (!folder.MakeFolder(name)) throw CaseError("cannot make folder " + name);
        }
        for (const auto& [name, bytes] : run.files) {
            if (!folder.WriteFile(name, bytes)) throw CaseError("cannot write " + name);
        }
        if (run.script) {
            script = *run.script;
            scriptName = run.scriptName;
        }
        if (!scriptName.empty() && !folder.WriteFile(scriptName, script)) {
            throw CaseError("cannot write the script");
        }
        OmbraTest::ChildRun child;
        child.arguments = {ombra};
        child.arguments.insert(child.arguments.end(), run.arguments.begin(), run.arguments.end());
        if (!scriptName.empty()) child.arguments.push_back(scriptName);
        child.input = run.input;
        child.terminal = run.terminal;
        child.folder = folder.Path();
        child.setEnvironment = {"XDG_STATE_HOME=" + folder.PathOf("state-home")};
        child.timeoutMilliseconds = 20000;
        const OmbraTest::ChildResult result = OmbraTest::RunProgram(child);
        if (!result.started) throw CaseError("cannot start " + ombra);
        Compare(number, "exit status", std::to_string(run.exitStatus),
                std::to_string(result.Status()));
        Compare(number, "stdout", run.out, result.out);
        Compare(number, "stderr", run.err, result.err);
        for (const auto& [name, bytes] : run.after) {
            Compare(number, "file " + name, bytes, folder.ReadFile(name).value_or("<missing>"));
        }
        for (const std::string& name : run.absent) {
            Compare(number, "file " + name, "<missing>",
                    folder.Exists(name) ? "<exists>" : "<missing>");
        }
    }
    return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: case_runner OMBRA CASE_FILE\n");
        return 2;
    }
    try {
        return RunCase(argv[1], argv[2]);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "case_runner: %s\n", error.what());
        return 2;
    }
}
