// Forbidden: the window on top of the program's entry.
#include "app/program_entry.h"
#include "desktop/dialogs.h"
