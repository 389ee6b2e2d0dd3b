#pragma once

class CConfig;
class QSplashScreen;

// The steps of the simulator's start-up that belong to the configuration;
// the entry function runs them in its order.

// Sets the splash picture: the file named by the text ("main",
// "f_SplashScreen", "s"), a relative path lying under the program folder.
// Without the text or the file the picture is empty. Shows the splash screen
// either way.
void f_SplashScreen(QSplashScreen* splash, const CConfig& config);

// Sets the link up without a heartbeat: the flag is set before the link is,
// so no heartbeat timer is ever made and contest connections use port 4480.
void InitNetWithoutHeartbeat(CConfig& config);

// A fast machine (2.0 or more on the speed probe, which takes 100 ms) gets a
// raised process priority, where the user may raise it.
void RaisePriorityOnFastMachine();
