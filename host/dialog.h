// The host's dialog library: alerts and file dialogs. They are shown on the main thread only.
#pragma once

#include <vector>

#include "host/base.h"
#include "host/filesystem.h"

// Shows alert `alertId` ("GALR") of the active resource module. Each "%s" of its message texts is
// replaced by the next non-null parameter. Returns the number of the button pressed (1, 2 or 3,
// in the alert's order), or 0 when the alert was dismissed without a button or could not be
// shown.
HOST_API Int16 DGResAlertParam(ZRResID alertId, const char* param1, const char* param2 = nullptr,
                               const char* param3 = nullptr, const char* param4 = nullptr);

namespace DG {

class HOST_API SystemDialog {
public:
    virtual ~SystemDialog() = default;
    // Shows the dialog; true when the user confirmed a choice.
    bool Invoke() { return Present(); }

protected:
    virtual bool Present() = 0;
};

class HOST_API FileDialog : public SystemDialog {
public:
    enum Type : Int32 { OpenFile = 0, Save = 4 };
    // OpenFile insists on an existing file; Save names a file that need not exist.
    explicit FileDialog(Type type) : type(type) {}
    Type GetType() const { return type; }
    USize GetSelectionCount() const { return USize(selection.size()); }
    // The chosen file at `index` (0 for a single choice); an empty location when there is none.
    IO::Location GetSelectedFile(USize index) const;

protected:
    bool Present() override;

private:
    Type type;
    std::vector<IO::Location> selection;
};

}  // namespace DG
