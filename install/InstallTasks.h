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

// The current directory is read into a buffer of this size; the command that
// runs the INF is built in one of kInfCommandSize bytes.
const int kCurrentDirectorySize = 255;
const int kInfCommandSize = 512;

// The arguments of a command line: what follows the program's own name
// (quoted or not), blanks after it included.
const char* ArgumentsOf(const char* commandLine);

// Whether `switchText` occurs anywhere in `arguments` (case-sensitive).
bool HasSwitch(const char* arguments, const char* switchText);

// "rundll32 advpack.dll,LaunchINFSection <directory>\LSAutorun.inf" into
// `command` (kInfCommandSize bytes, zero-filled). False, with an empty
// command, when the directory is empty or does not fit the directory buffer.
bool BuildInfCommand(const char* directory, char* command);

// Runs the INF of the current directory and waits for it. False when the
// current directory does not fit its buffer or the process could not start.
bool RunStartupInf();

// Whether ole32 exports CoInitializeEx, the sign that DCOM is installed.
bool DcomPresent();

// The whole program for the given arguments; returns the exit code, 1.
int RunInstallTasks(const char* arguments);

#endif
