#pragma once

// One loop per application state; each returns when the state changes or
// a quit is requested. RunDispatcher runs them until the quit.
void RunDispatcher();
void RunIntroLoop();
