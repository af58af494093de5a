#pragma once
// Where the library finds the frame sync module: it opens "./zqframesync.dll" from the
// working directory.
#include <string>

namespace sandbox {

// Makes the sandbox's own folder, where the module lies beside it, the working
// directory; the working directory stays when the folder cannot be entered.
void enterProgramFolder();

// What to say when no frame sync object was made: the module that was not loaded.
std::string frameSyncModuleMissing();

}  // namespace sandbox
