// The built ombra executable at a terminal: a session typed line by line as prompts appear.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/support/temp_folder.h"

namespace Ombra {
namespace {

// What the session case cannot see: the prompts as each line is typed at a real terminal, a block
// prompted for its next line, and the channel closed (its file saved in key order) at END.
TEST(OmbraBinaryTest, InteractiveSessionOnATerminal) {
    const std::vector<std::string> lines = {
        "ch = OPEN(\"DATA\", \"t.txt\", \"SEPARATOR=';', MODE=WA\")", "FOR i = 2 TO 1 STEP -1",
        "OUTPUT ch, \"K\" + STR(i), 1, i * 2.5", "NEXT i", "END"};
    OmbraTest::TempFolder folder;
    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child == 0) {
        setenv("TERM", "dumb", 1);
        if (chdir(folder.Path().c_str()) == 0) execl(OMBRA_BINARY, OMBRA_BINARY, nullptr);
        _exit(127);
    }
    std::string shown;
    size_t typed = 0;
    char buffer[256];
    pollfd ready{terminal, POLLIN, 0};
    // Reading fails (EIO) once ombra has ended; a silent ombra fails the test in 10 s.
    while (child > 0 && poll(&ready, 1, 10000) > 0) {
        const ssize_t count = read(terminal, buffer, sizeof buffer);
        if (count <= 0) break;
        shown.append(buffer, size_t(count));
        if (typed < lines.size() && (shown.ends_with("ombra> ") || shown.ends_with("...> "))) {
            const std::string line = lines[typed++] + "\r";
            if (write(terminal, line.data(), line.size()) != ssize_t(line.size())) break;
        }
    }
    close(terminal);
    int status = 0;
    const int exitStatus = child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)
                               ? WEXITSTATUS(status)
                               : -1;
    EXPECT_EQ(exitStatus, 0) << shown;
    EXPECT_NE(shown.find("  ...> NEXT i"), std::string::npos) << shown;
    EXPECT_EQ(folder.ReadFile("t.txt"), "\xEF\xBB\xBFK1;2.5\rK2;5\r");
}

}  // namespace
}  // namespace Ombra
