// Internal to the dialog library: the source of answers (queue, terminal or none) and the
// transcript of presented dialogs.
#pragma once

#include <optional>
#include <string>

#include "platform/dialog/dialog_host.h"

namespace DG::Detail {

// The next answer: the first queued one, else a line read from the terminal after writing
// `prompt` to it (line ending removed). Nothing when neither gives an answer (no source, or the
// end of the terminal's input): the dialog is then cancelled.
std::optional<std::string> NextAnswer(const std::string& prompt);

// Writes `text` to the terminal when one is in use and the queue is empty (the dialog's body,
// shown once before it asks).
void ShowOnTerminal(const std::string& text);

// Adds a presented dialog to the transcript, on the calling thread.
void RecordShown(ShownDialog::Kind kind, std::string text);

// ASCII lower case of `text`, for matching answers.
std::string LowerAscii(std::string text);

}  // namespace DG::Detail
