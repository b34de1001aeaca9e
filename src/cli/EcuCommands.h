// The command-line tool's ECU commands: the identity check, reading and writing a
// configuration file, and the firmware upgrade with its progress on the terminal.
#pragma once

#include <string>

#include "app/Workbench.h"
#include "hosts/SteadyHost.h"
#include "util/EventHost.h"

namespace gw::cli {

// A steady host whose message boxes go to the terminal; Yes/No questions are answered
// Yes with --yes, asked on the terminal when there is one, and answered No otherwise.
// The question that would leave a failed flash zone unwritten is never answered by --yes:
// only --skip-failed-zones (experts) or a person at the terminal says Yes to it.
class CliHost : public SteadyHost {
public:
    bool assumeYes = false;
    bool skipFailedZones = false;
    MsgAnswer MessageBox(const std::string& text, const std::string& title, MsgIcon icon,
                         MsgButtons buttons) override;
};

// Runs the link until the ECU has answered; false after timeoutS seconds (or a signal).
bool WaitConnected(Workbench& wb, SteadyHost& host, double timeoutS);

// Asks on the terminal; no terminal on the standard input (a script, a pipe) means No.
bool AskYes(const std::string& prompt);
extern volatile int g_stop;

int Identity(Workbench& wb, SteadyHost& host, double timeoutS);
int ReadConfig(Workbench& wb, SteadyHost& host, const std::string& path, double timeoutS);
int WriteConfig(Workbench& wb, SteadyHost& host, const std::string& path, double timeoutS);
int Flash(Workbench& wb, SteadyHost& host, double timeoutS);

// Exit statuses of the commands.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitUpgradeNeeded = 3;

// Today's local date "dd/mm/yyyy" (the communication log's first line); with withTime the
// time "hh:mm:ss" after it (configuration file headers).
std::string DateText(bool withTime = false);

}  // namespace gw::cli
