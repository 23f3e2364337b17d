// Asking the user for OPEN's file: the alert and the file dialogs, always on the main thread.
#pragma once

#include "host/base.h"
#include "host/dialog.h"
#include "host/filesystem.h"

namespace DataOmbraPlugin {

// Asks the user where the file `name` is. For `mode` read-only the file dialog for an existing
// file is shown at once; for the writing modes alert 128 ("Cannot find %s.") comes first: Browse
// shows that dialog, Create the dialog for a new file, anything else gives no file. Returns true
// with `location` set to the choice, or false with `location` unchanged. Runs on the main thread:
// from another thread the work is posted to the main thread's message loop and the caller waits.
// Exceptions of the dialogs and of the posting (std::bad_alloc when memory runs out, ZR::Exception
// when no message loop takes the work) pass to the caller.
bool AskForFile(const ZR::UniString& name, Int32 mode, IO::Location& location);

// The work of AskForFile, runnable on the main thread's message loop. It borrows the caller's
// name and location, which must outlive it (the caller waits until it has run).
class GetFileRunnable : public ZR::Runnable {
public:
    GetFileRunnable(const ZR::UniString& name, Int32 mode, IO::Location& location)
        : name(name), mode(mode), location(location) {}
    // Shows the alert and dialogs with the module's resources active and sets the result.
    void Run() override;
    bool GetResult() const { return result; }

private:
    bool ShowFileDialog(DG::FileDialog::Type type);

    bool result = false;
    const ZR::UniString& name;
    Int32 mode;
    IO::Location& location;
};

}  // namespace DataOmbraPlugin
