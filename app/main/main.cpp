// Verandel: browse the lock-screen pictures Windows keeps, set one as the
// wallpaper, save one. The command line is not read.
#include <windows.h>

#include "app/program.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) { return RunProgram(instance); }
