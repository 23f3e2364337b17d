// File dialogs: a path prompt through the answer source.
#include "host/dialog.h"
#include "platform/dialog/answer_source.h"

namespace {

// The absolute location an answer names; a relative path is taken from the base folder.
IO::Location LocationOfAnswer(const std::string& answer) {
    return IO::Location::FromPath(IO::Location::FromPath(answer).ToPath());
}

bool IsExistingFile(const IO::Location& location) {
    std::unique_ptr<IO::File> file;
    return IO::File::New(file, location, IO::File::Fail) == NoError;
}

// A new file may be named in any existing folder, unless the name is itself a folder.
bool CanBeCreated(const IO::Location& location) {
    if (IO::Folder(location).GetStatus() == NoError) return false;
    IO::Location folder = location;
    return folder.DeleteLastLocalName() == NoError && IO::Folder(folder).GetStatus() == NoError;
}

bool IsCancel(const std::string& answer) {
    return answer.empty() || DG::Detail::LowerAscii(answer) == "cancel";
}

}  // namespace

namespace DG {

bool FileDialog::Present() {
    selection.clear();
    bool opening = type == OpenFile;
    Detail::RecordShown(opening ? ShownDialog::OpenFile : ShownDialog::SaveFile, {});
    const char* prompt = opening ? "Open which existing file? (path, or cancel): "
                                 : "Save as which file? (path, or cancel): ";
    while (true) {
        std::optional<std::string> answer = Detail::NextAnswer(prompt);
        if (!answer || IsCancel(*answer)) return false;
        IO::Location location = LocationOfAnswer(*answer);
        if (opening ? IsExistingFile(location) : CanBeCreated(location)) {
            selection.push_back(location);
            return true;
        }
        Detail::ShowOnTerminal(opening ? "No such file: " + *answer + "\n"
                                       : "Cannot create a file there: " + *answer + "\n");
    }
}

IO::Location FileDialog::GetSelectedFile(USize index) const {
    return index < selection.size() ? selection[index] : IO::Location();
}

}  // namespace DG
