#include "app/run.h"

// Filled in with the shell's commands; declared early so that the platform
// layer can be built against it.
int32_t runViewer() { return 0; }

int64_t windowProcedure(uint32_t, uint64_t, int64_t) { return 0; }
