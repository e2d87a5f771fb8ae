// Forbidden: a folder without a place in the layering.
#include "core/vtstring.h"
