// The main window's commands: every click on a button arrives here with its
// control id and notification code.  Changes options, opens the file
// dialogs, runs the conversion and opens its report; while a run is in
// progress, refuses option changes with a "Parameter" box.
#pragma once

// 1 while the conversion run executes.
extern int isRunning;

void handleCommand(int id, int notificationCode);
