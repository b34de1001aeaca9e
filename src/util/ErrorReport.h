// The common error box: procedure name, message, error number and description, shown
// through the host with the title "<application title>: Error". Deciding when an error
// is worth reporting is the caller's business.
#pragma once

#include <string>

#include "util/Host.h"
#include "util/Warnings.h"

namespace gw {

// The error a procedure trapped: its number and description (0: none).
struct ErrorInfo { long number = 0; std::string description; };

// message + "Error" + procedure + ":" + CR; then, when the number is not 0 (and, unless
// useSystemError, not 3146), CR + the number (decimal within 0 ... 99999, else " = &H"
// and eight hexadecimal digits of its low 32 bits) + " - " + description. With
// useSystemError, err.number is the last system error and no description is shown.
std::string ErrorReportText(const std::string& procedure, const std::string& message, bool useSystemError, const ErrorInfo& err);
// The same box as a warning, for readers that hand their errors to the caller (a trapped
// error, never the system's).
Warning ErrorReportWarning(const std::string& appTitle, const std::string& procedure, const std::string& message,
                           const ErrorInfo& err);
// Shows ErrorReportText in a critical message box titled appTitle + ": Error". With
// useSystemError and no number in err, the last system error (errno) is used.
void ErrorReport(Host& host, const std::string& appTitle, const std::string& procedure, const std::string& message, bool useSystemError, const ErrorInfo& err = {});

}  // namespace gw
