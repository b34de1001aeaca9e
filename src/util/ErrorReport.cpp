#include "util/ErrorReport.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>

namespace gw {

namespace {
// A trapped error with this number shows no number line; a system error with it does.
constexpr long kSilentErrorNumber = 3146;
}

std::string ErrorReportText(const std::string& procedure, const std::string& message, bool useSystemError,
                            const ErrorInfo& err) {
    std::string text = message + "Error" + procedure + ":\r";
    if (err.number == 0 || (!useSystemError && err.number == kSilentErrorNumber)) return text;
    text += '\r';
    if (err.number >= 0 && err.number <= 99999) {
        text += std::to_string(err.number);
    } else {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%08X",
                      static_cast<unsigned>(static_cast<std::uint32_t>(static_cast<unsigned long>(err.number))));
        text += " = &H";
        text += hex;
    }
    text += " - ";
    if (!useSystemError) text += err.description;
    return text;
}

Warning ErrorReportWarning(const std::string& appTitle, const std::string& procedure, const std::string& message,
                           const ErrorInfo& err) {
    return Warning{ErrorReportText(procedure, message, false, err), appTitle + ": Error", MsgIcon::Critical};
}

void ErrorReport(Host& host, const std::string& appTitle, const std::string& procedure, const std::string& message,
                 bool useSystemError, const ErrorInfo& err) {
    const int systemError = errno;
    ErrorInfo shown = err;
    if (useSystemError && shown.number == 0) shown.number = systemError;
    host.MessageBox(ErrorReportText(procedure, message, useSystemError, shown), appTitle + ": Error",
                    MsgIcon::Critical, MsgButtons::Ok);
}

}  // namespace gw
