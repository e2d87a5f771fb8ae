// Allowed: the engine's own folder and the standard library.
#include <string>

#include "core/vtstring.h"
