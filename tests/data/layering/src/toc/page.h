// Forbidden: Qt in engine code.
#include <QString>

#include "html/vthtml.h"
