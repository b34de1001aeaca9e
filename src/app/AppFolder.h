// Where the program's own files are: the application folder is the parent of the
// executable's folder ("\BIN", "\LNG" and "\SAMPLES" lie beside the program's folder),
// unless the command line names it. Reading the files below it is other code's business.
#pragma once

#include <string>
#include <vector>

namespace gw {

std::string ExecutableFolder();  // folder of the running executable (/proc/self/exe), no trailing separator

// AppFolder by the rule, unless argv holds "--app-folder DIR" (or "--app-folder=DIR"), which wins;
// removes that option from the returned remaining arguments.
// rest holds argv[1..] (not the program name) without the option. The last option given
// wins; an option without a value, or with an empty one, is dropped and the rule applies.
// Trailing separators of DIR are removed.
struct AppFolderChoice { std::string appFolder; std::vector<std::string> rest; };
AppFolderChoice ResolveAppFolder(int argc, char** argv);

}  // namespace gw
