#include "files/a.h"
