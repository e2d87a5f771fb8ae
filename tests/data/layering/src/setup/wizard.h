// Forbidden: the installer on the window.
#include "gui/TveltORV1.h"
