// The program's life: start-up, the two globals, the message loop, shutdown.
#pragma once

#include <windows.h>

#include <memory>

#include "catalog/push_catalog.h"
#include "services/text.h"

// The entry on show, and the one catalogue. They live from CreateGlobals to
// FreeGlobals; while the window exists g_current is never absent.
extern std::unique_ptr<PushEntry> g_current;
extern std::unique_ptr<PushCatalog> g_catalog;

// g_current all-zero; g_catalog made and filled from the asset folder.
void CreateGlobals();
// The exit routine: frees g_current, then destroys and frees g_catalog.
void FreeGlobals();

// The folder part of a module path: everything before its last backslash,
// where the trail byte of a double-byte character is never a backslash.
// The empty text when the path has no backslash.
Text FolderOfPath(const Text& path);

// Start-up, the message loop and shutdown; the process's exit code.
int RunProgram(HINSTANCE instance);
