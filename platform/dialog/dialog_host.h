// The host's side of the dialog library: where the answers to alerts and file dialogs come from.
//
// A dialog takes its answer from the queue of scripted answers while it holds any, otherwise from
// the terminal when one is in use, otherwise it is cancelled (an alert returns 0, a file dialog
// reports no choice). Answers:
// - an alert: the button's number ("1", "2", "3") or its label without trailing dots and blanks,
//   in any letter case ("browse", "cancel", "create" for "Browse...", "Cancel", "Create...");
// - a file dialog: a path in UTF-8; "cancel" (any letter case) or an empty answer cancels it. A
//   relative path is taken relative to the base folder (IO::FileSystem's BaseFolderId), as every
//   relative location is, and the choice is handed back as an absolute location. The OpenFile
//   type accepts only an existing file; the Save type accepts a name in an existing folder that
//   is not itself a folder. "./cancel" names a file called "cancel".
// An answer the dialog cannot use is consumed; the dialog then asks again. All functions are
// thread-safe.
#pragma once

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "host/base/api.h"
#include "host/base/types.h"

namespace DG {

// Appends one scripted answer to the queue.
HOST_API void QueueAnswer(std::string answer);
// Drops every queued answer.
HOST_API void ClearAnswers();
// The number of answers still queued.
HOST_API USize PendingAnswers();

// Presents dialogs on `in`/`out` once the queue is empty (the caller keeps both open while in
// use). End of input on `in` cancels the dialog in progress.
HOST_API void UseTerminal(FILE* in, FILE* out);
// Stops presenting dialogs on the terminal.
HOST_API void StopUsingTerminal();

// One dialog that was presented: a transcript for hosts and tests.
struct ShownDialog {
    enum Kind { Alert, OpenFile, SaveFile };
    Kind kind = Alert;
    std::string text;        // an alert's message, parameters substituted; empty for a file dialog
    std::thread::id thread;  // the thread it was presented on
};
// Returns and clears the transcript of presented dialogs, in order.
HOST_API std::vector<ShownDialog> TakeShownDialogs();

}  // namespace DG
