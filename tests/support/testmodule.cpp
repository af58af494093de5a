// A module with one exported C function, opened by file name at run time.
#include "qorvahost/export.h"

extern "C" QORVAHOST_EXPORT int qrcTestModuleAnswer() { return 42; }
