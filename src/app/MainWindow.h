// The program's one window: its procedure and the message pump of the frame loop.
//
// mainWindowProc forwards moves, resizes and activation to the accelerator
// (grSstControl), hides the pointer, and records every typed 7-bit character and every
// close request in keyQueue. pumpMessages dispatches what is waiting and reports 1 as
// soon as keyQueue holds anything: from then on the demo is over. Entries are never
// consumed, so once it has said 1 it says 1 for good.
//
// Both run on the thread that created the window, through the current WindowSystem.
#pragma once

#include <cstdint>

#include "platform/WindowSystem.h"

intptr_t mainWindowProc(WindowHandle window, uint32_t message, uintptr_t wordParam,
                        intptr_t longParam);

// 1 when the program is to stop (the key queue is not empty), else 0. Never blocks.
int32_t pumpMessages();

// Creates and shows the window ("Glide Test", 272 x 288) with mainWindowProc, hides the
// pointer over it and stores it in appState.mainWindow. Returns 1, or 0 when no window
// could be created.
int32_t createMainWindow(void* instance);
