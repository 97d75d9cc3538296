#include "app/ProcessState.h"

DemoSettings demoSettings;
AppState appState;
KeyQueue keyQueue;
