// Resource identifiers shared by the .rc script and the program.
#pragma once

#define IDI_VERANDEL 1
// The icon file's own bytes, read with the program's icon rule.
#define IDR_WINDOW_ICON 101
