// Where the program's own files are: the application folder is the parent of the
// executable's folder ("\BIN", "\LNG" and "\SAMPLES" lie beside the program's folder),
// unless the command line names it. An installed copy (read-only, or marked by the
// package) runs from a per-user folder seeded with the shipped files instead.
// Reading the files below the folder is other code's business.
#pragma once

#include <string>
#include <vector>

namespace gw {

std::string ExecutableFolder();  // folder of the running executable (/proc/self/exe), no trailing separator

// The package puts the shipped files (BIN, LNG, ...) in <prefix>/share/gas-workbench with
// this marker file beside them; the programs sit in <prefix>/bin.
inline constexpr const char* kSharedFilesFolder = "share/gas-workbench";
inline constexpr const char* kInstalledMarker = "INSTALLED";
inline constexpr const char* kUserFolderName = "gas-workbench";

// Where the per-user folder goes: dataHome (the XDG data folder, used when absolute), else
// home + "/.local/share". Both empty or unusable: there is no per-user folder.
struct UserDataPlaces { std::string dataHome; std::string home; };
UserDataPlaces UserDataPlacesFromEnvironment();
std::string UserAppFolder(const UserDataPlaces& places);   // "" when there is none

// The folder the program runs with, given the folder found by the rule. A portable folder
// (writable, no marker) is used as it is. An installed one - the marker is in its shared
// files folder (all of which is then shipped), or the folder is not writable (its BIN and
// LNG are shipped) - gives the per-user folder: created when missing, and every shipped
// file the user does not have yet is copied in (atomically);
// a file already there is never overwritten. problem says what went wrong (the per-user
// folder is still used when it exists, so the user's own files stay in one place).
struct AppFolderSetup {
    std::string appFolder;
    bool installed = false;
    std::vector<std::string> copied;   // files copied in this time, relative to appFolder
    std::string problem;               // "" when all went well
};
AppFolderSetup PrepareAppFolder(const std::string& ruleFolder, const UserDataPlaces& places);

// AppFolder by the rule, unless argv holds "--app-folder DIR" (or "--app-folder=DIR"), which wins;
// removes that option from the returned remaining arguments.
// rest holds argv[1..] (not the program name) without the option. The last option given
// wins; an option without a value, or with an empty one, is dropped and the rule applies.
// Trailing separators of DIR are removed. Without the option, an installed copy runs from
// its per-user folder (PrepareAppFolder); problem then says what could not be set up.
struct AppFolderChoice { std::string appFolder; std::vector<std::string> rest; std::string problem; };
AppFolderChoice ResolveAppFolder(int argc, char** argv);
// The same with the executable's folder and the user's places given (ResolveAppFolder
// asks the system for them).
AppFolderChoice ResolveAppFolderFrom(int argc, char** argv, const std::string& exeFolder,
                                     const UserDataPlaces& places);

}  // namespace gw
