// The program from start to end over a platform; returns its exit code. The
// Windows entry point (platform/win32/win32_main.cpp) calls it; the program
// (app/setup_app.cpp) defines it.
#pragma once

#include "platform/platform.h"

int RunSetupProgram(const Platform& platform);
