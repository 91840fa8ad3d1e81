// The Agent's hidden frame window: tray icon, tray menu, one-minute timer.
#ifndef LARKSPIRE_AGENTFRAME_H
#define LARKSPIRE_AGENTFRAME_H

#include <windows.h>

#include "ComponentRuns.h"

#define AGENT_FRAME_CLASS "quenlow_ls5AgentFrame"
#define AGENT_FRAME_TITLE "Quenlow Larkspire Agent"

// Sent by a second start of the Agent: show the tray icon again.
const UINT WM_AGENT_RESTORE = WM_APP + 1;
// The tray icon's callback message; lParam is the mouse message.
const UINT WM_AGENT_TRAY = WM_APP + 2;
// The frame's property while a run is under way.
#define AGENT_BUSY_PROPERTY "Compacting"
// The one-minute timer.
const UINT_PTR kTickTimer = 2;
const UINT kTickPeriod = 60000;

// The components the frame's runs work on.
extern LoadedComponent* g_components;

BOOL RegisterAgentFrameClass();
LRESULT CALLBACK AgentFrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam);
// Dispatches the thread's messages until the frame is gone or WM_QUIT comes;
// returns WM_QUIT's code, 0 when the frame went without one.
int RunFrameLoop(HWND frame);
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

#endif
