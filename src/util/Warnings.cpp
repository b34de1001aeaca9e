#include "util/Warnings.h"

namespace gw {

void AppendWarnings(Warnings& to, const Warnings& more) { to.insert(to.end(), more.begin(), more.end()); }

void ShowWarnings(Host& host, const Warnings& warnings) {
    for (const Warning& w : warnings) host.MessageBox(w.text, w.title, w.icon, MsgButtons::Ok);
}

std::string WarningLine(const Warning& warning) {
    std::string text = warning.text;
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return "[" + warning.title + "] " + text;
}

}  // namespace gw
