// Error numbers and their messages. Negative numbers are file errors (message list 3), positive
// numbers parameter errors (message list 4); every report is framed with the data file's name.
#pragma once

#include "host/environment.h"

namespace DataOmbraPlugin {

// The number of an error that a report shows; 0 is none. Not a status: the operation that reports
// returns the status that goes with it.
using ErrorNumber = Int32;

// File errors.
constexpr Int32 ErrorCreate = -1;
constexpr Int32 ErrorOpen = -2;          // "Open error (file already used)"
constexpr Int32 ErrorFileNotFound = -3;  // "File not found, can't open for input"
constexpr Int32 ErrorRead = -4;          // "Read error"
constexpr Int32 ErrorWritePermission = -5;
constexpr Int32 ErrorClose = -6;
constexpr Int32 ErrorMemoryFull = -7;  // "DATA Add-On memory full error"
constexpr Int32 ErrorUnknownType = -8;
constexpr Int32 ErrorNotInLibrary = -9;  // "File not found in the library"
// Parameter errors.
constexpr Int32 ErrorFieldId = 1;         // "Wrong FieldID parameter value"
constexpr Int32 ErrorUnknownKeyword = 2;  // "Unknown keyword '%s' of OPEN parameter string"
constexpr Int32 ErrorUnknownMode = 3;     // "Unknown file MODE '%s' in OPEN parameter string"

// Message list ids of resource type "STRS".
constexpr Int16 FileErrorList = 3;
constexpr Int16 ParameterErrorList = 4;
constexpr Int16 FrameList = 5;  // 1: the message frame; 2: the data folder's name

// Reports `errorNumber` about the file at `location` (its last name is shown; an empty location
// shows an empty name) through the host's report service. `argument` replaces the "%s" of a
// parameter error's text. Error number 0, and a null `messageFetcher`, report nothing. A report
// longer than 255 characters is shortened, never written past its buffer. The caller returns the
// status that goes with the error.
void ReportError(Int32 errorNumber, const IO::Location& location, StringFetcherProc messageFetcher,
                 const char* argument = nullptr);
// The name that messages show for the file at `location`: its last name; empty for an empty
// location.
ZR::UniString ShownFileName(const IO::Location& location);

// The same about a file named by `fileName`, shown whole: OPEN names the file so, as the script
// wrote it, until it has been found (a name with folders would otherwise show its last one only).
void ReportError(Int32 errorNumber, const ZR::UniString& fileName, StringFetcherProc messageFetcher,
                 const char* argument = nullptr);

// The error that the exception being handled stands for: ErrorMemoryFull for memory exhaustion,
// whichever library ran out (the user is told what really happened), `otherwise` for any other.
// Call only inside a handler. Never throws.
Int32 ErrorOfException(Int32 otherwise) noexcept;

}  // namespace DataOmbraPlugin
