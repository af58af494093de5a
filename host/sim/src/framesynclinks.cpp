#include "qorvasim/framesynclinks.h"

#include <sstream>

#include "module.h"
#include "qorvahost/zqframesync_control.h"

namespace qorva::sim {

namespace {

constexpr const char* kModule = "./zqframesync.dll";

// The whole text a query of the module writes for the object.
std::string queryText(const char* name, IFrameSync* object) {
    using Query = int (*)(IFrameSync*, char*, int);
    const auto query = reinterpret_cast<Query>(findModuleFunction(kModule, name));
    if (!query || !object) return {};
    std::string text(static_cast<size_t>(query(object, nullptr, 0)) + 1, '\0');
    query(object, text.data(), static_cast<int>(text.size()));
    text.resize(text.size() - 1);
    return text;
}

}  // namespace

std::vector<BeaconsFrom> frameSyncBeacons(IFrameSync* object) {
    std::istringstream lines(queryText(kFrameSyncBeaconsReceived, object));
    std::vector<BeaconsFrom> beacons;
    for (BeaconsFrom from; lines >> from.ip >> from.count >> from.sinceMs >> from.lastMs;) beacons.push_back(from);
    return beacons;
}

bool setFrameSyncBindAddress(const std::string& ip) {
    const auto set =
        reinterpret_cast<FrameSyncSetBindAddressFunc>(findModuleFunction(kModule, kFrameSyncSetBindAddress));
    if (set) set(ip.c_str());
    return set != nullptr;
}

std::vector<std::string> frameSyncLinkedTargets(IFrameSync* object) {
    const std::string text = queryText(kFrameSyncLinkedTargets, object);
    std::vector<std::string> targets;
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        targets.push_back(text.substr(start, end - start));
    return targets;
}

}  // namespace qorva::sim
