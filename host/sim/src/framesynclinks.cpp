#include "qorvasim/framesynclinks.h"

#include "module.h"
#include "qorvahost/zqframesync_control.h"

namespace qorva::sim {

std::vector<std::string> frameSyncLinkedTargets(IFrameSync* object) {
    const auto query =
        reinterpret_cast<FrameSyncLinkedTargetsFunc>(findModuleFunction("./zqframesync.dll", kFrameSyncLinkedTargets));
    if (!query || !object) return {};
    std::string text(static_cast<size_t>(query(object, nullptr, 0)) + 1, '\0');
    query(object, text.data(), static_cast<int>(text.size()));
    std::vector<std::string> targets;
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        targets.push_back(text.substr(start, end - start));
    return targets;
}

}  // namespace qorva::sim
