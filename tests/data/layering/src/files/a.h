#pragma once
#include "files/b.h"
