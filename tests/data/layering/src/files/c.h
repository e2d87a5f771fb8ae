#pragma once
#include "files/a.h"
