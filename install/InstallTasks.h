// The installer tasks program: offers the Agent a place among the user's
// log-on programs (through the installation's INF file, run by the system's
// advanced INF installer) and, on Windows 95 and 98, checks that DCOM is
// there. It talks to the user only through two questions and always ends
// with exit code 1.
#ifndef LARKSPIRE_INSTALLTASKS_H
#define LARKSPIRE_INSTALLTASKS_H

#include <windows.h>

#define INSTALL_STARTUP_SWITCH "/startmeup"
#define INSTALL_NO_DCOM_SWITCH "/dcomdetect"

#define INSTALL_STARTUP_CAPTION "Larkspire Installation"
#define INSTALL_STARTUP_QUESTION "Do you want to add the Larkspire Agent to your Startup group?"
#define INSTALL_DCOM_CAPTION "Larkspire 5 Setup"
#define INSTALL_DCOM_QUESTION                                                                     \
    "Larkspire 5 requires that DCOM is installed, but it was not detected on your computer.\r\n" \
    "\r\nWould you like to visit Microsoft's web site and download DCOM?"
#define INSTALL_DCOM_PAGE "http://www.microsoft.com/com/dcom/"

// The current directory is read into a buffer of this size, the path of the
// system's rundll32.exe into one of kRundll32PathSize; the command that runs
// the INF is built in one of kInfCommandSize bytes.
const int kCurrentDirectorySize = 255;
const int kRundll32PathSize = MAX_PATH + 1;
const int kInfCommandSize = 1024;

// The arguments of a command line: what follows the program's own name
// (quoted or not), blanks after it included.
const char* ArgumentsOf(const char* commandLine);

// Whether `switchText` occurs anywhere in `arguments` (case-sensitive).
bool HasSwitch(const char* arguments, const char* switchText);

// The full path of the system's own rundll32.exe into `path`
// (kRundll32PathSize bytes, zero-filled): in the system folder on Windows NT,
// in the Windows folder on Windows 95 and 98. False when the folder cannot be
// read or the path does not fit.
bool Rundll32Path(char* path);

// "\"<rundll32>\" advpack.dll,LaunchINFSection \"<directory>\LSAutorun.inf\""
// into `command` (kInfCommandSize bytes, zero-filled): both paths quoted, so
// that neither a space nor a comma in them splits the arguments. False, with
// an empty command, when a path is empty or does not fit its buffer.
bool BuildInfCommand(const char* rundll32, const char* directory, char* command);

// The command that runs the INF of the current directory through the
// system's rundll32.exe (its full path into `rundll32`, kRundll32PathSize
// bytes; the command into `command`, kInfCommandSize bytes). False when the
// current directory or the system folder cannot be read or does not fit its
// buffer: then the Startup question is not asked, as its Yes could do nothing.
bool PrepareStartupInf(char* rundll32, char* command);

// Runs the prepared command, started by the full path of rundll32.exe (never
// one found beside this program or in the current folder), and waits for it.
// False when the process could not start.
bool RunStartupInf(const char* rundll32, char* command);

// Whether ole32 exports CoInitializeEx, the sign that DCOM is installed.
bool DcomPresent();

// The whole program for the given arguments; returns the exit code, 1.
int RunInstallTasks(const char* arguments);

#endif
