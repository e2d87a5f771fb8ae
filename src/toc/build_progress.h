// Progress reporting of builds and clearing runs.
#pragma once

// Called with a percentage from 0 to 100 and the caller's context, on the
// caller's thread. Optional wherever it is taken.
using progress_fn = void (*)(int percent, void* context);
