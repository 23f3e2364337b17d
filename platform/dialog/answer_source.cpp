#include "platform/dialog/answer_source.h"

#include <deque>
#include <mutex>

namespace DG {
namespace {

struct AnswerState {
    std::mutex mutex;
    std::deque<std::string> queue;
    FILE* in = nullptr;
    FILE* out = nullptr;
    std::vector<ShownDialog> shown;
};

AnswerState& State() {
    static AnswerState state;
    return state;
}

// One line from `in` without its line ending; nothing at the end of input before any byte.
std::optional<std::string> ReadLine(FILE* in) {
    std::string line;
    int ch = 0;
    while ((ch = std::fgetc(in)) != EOF && ch != '\n') line.push_back(char(ch));
    if (ch == EOF && line.empty()) return std::nullopt;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

}  // namespace

void QueueAnswer(std::string answer) {
    std::lock_guard lock(State().mutex);
    State().queue.push_back(std::move(answer));
}

void ClearAnswers() {
    std::lock_guard lock(State().mutex);
    State().queue.clear();
}

USize PendingAnswers() {
    std::lock_guard lock(State().mutex);
    return USize(State().queue.size());
}

void UseTerminal(FILE* in, FILE* out) {
    std::lock_guard lock(State().mutex);
    State().in = in;
    State().out = out;
}

void StopUsingTerminal() {
    UseTerminal(nullptr, nullptr);
}

std::vector<ShownDialog> TakeShownDialogs() {
    std::lock_guard lock(State().mutex);
    std::vector<ShownDialog> shown;
    shown.swap(State().shown);
    return shown;
}

namespace Detail {

std::optional<std::string> NextAnswer(const std::string& prompt) {
    FILE* in = nullptr;
    FILE* out = nullptr;
    {
        std::lock_guard lock(State().mutex);
        if (!State().queue.empty()) {
            std::string answer = std::move(State().queue.front());
            State().queue.pop_front();
            return answer;
        }
        in = State().in;
        out = State().out;
    }
    // The terminal is read without the lock held: the user may take any time to answer.
    if (in == nullptr) return std::nullopt;
    if (out != nullptr) {
        std::fputs(prompt.c_str(), out);
        std::fflush(out);
    }
    return ReadLine(in);
}

void ShowOnTerminal(const std::string& text) {
    FILE* out = nullptr;
    {
        std::lock_guard lock(State().mutex);
        if (!State().queue.empty() || State().in == nullptr) return;
        out = State().out;
    }
    if (out == nullptr) return;
    std::fputs(text.c_str(), out);
    std::fflush(out);
}

void RecordShown(ShownDialog::Kind kind, std::string text) {
    std::lock_guard lock(State().mutex);
    State().shown.push_back({kind, std::move(text), std::this_thread::get_id()});
}

std::string LowerAscii(std::string text) {
    for (char& ch : text)
        if (ch >= 'A' && ch <= 'Z') ch = char(ch - 'A' + 'a');
    return text;
}

}  // namespace Detail
}  // namespace DG
