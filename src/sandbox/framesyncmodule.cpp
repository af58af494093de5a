#include "framesyncmodule.h"

#include <filesystem>
#include <system_error>

#include <fmt/format.h>

#include "qorvasim/executable.h"

namespace sandbox {

// The module's name is fixed and relative to the working directory; a host keeps the
// module beside its executable and runs from that folder. Entering the folder, as
// such a host does, leaves the library's loading as it is and finds the module
// wherever the sandbox is started from; the paths on the command line are made
// absolute before.
void enterProgramFolder() {
    const std::filesystem::path folder = qorva::sim::executableFolder();
    std::error_code error;
    if (!folder.empty()) std::filesystem::current_path(folder, error);
}

std::string frameSyncModuleMissing() {
    std::error_code error;
    const std::filesystem::path module = std::filesystem::current_path(error) / "zqframesync.dll";
    return fmt::format("the frame sync module {} could not be loaded", module.string());
}

}  // namespace sandbox
