#include "editing.h"

#include <algorithm>
#include <memory>

#include <fmt/format.h>

namespace sandbox {

namespace {

constexpr uint64_t kLayoutId = 700;
constexpr uint64_t kLayerId = 701;
constexpr uint64_t kMediaId = 7001;
constexpr auto kMode = tarsel::EditingMode::Local;
constexpr auto kProgram = qorva::DispatchType::Program;

void edit(qorva::mediadispatch::IDispatch& dispatch) {
    dispatch.sigLayoutAdded(kProgram, kLayoutId, std::string("Sandbox layout"));
    dispatch.sigLayoutVisibleChanged(kProgram, kLayoutId, true, kMode);
    dispatch.sigLayerAdded(std::vector<uint64_t>{kLayoutId}, kLayerId, std::string("clip layer"), std::string());
    dispatch.sigMediaVisibleChanged(kLayoutId, kLayerId, kMediaId, true, kMode, 0);
    dispatch.sigMediaVisibleChanged(kLayoutId, kLayerId, kMediaId, false, kMode, 0);
}

// Call counts per operation name, in the order the operations were first called.
std::vector<std::pair<std::string, size_t>> countByName(const std::vector<std::string>& calls) {
    std::vector<std::pair<std::string, size_t>> counts;
    for (const auto& call : calls) {
        const std::string name = call.substr(0, call.find('('));
        auto it = std::find_if(counts.begin(), counts.end(), [&](const auto& entry) { return entry.first == name; });
        if (it == counts.end()) it = counts.insert(counts.end(), {name, 0});
        ++it->second;
    }
    return counts;
}

}  // namespace

EditingReport runEditing(qorva::sim::SimHost& host) {
    const size_t before = host.layoutMgr->calls().size();
    auto dispatch = std::make_shared<qorva::sim::SimTimelineDispatch>();
    host.dispatchMgr->addDispatch(dispatch);
    edit(*dispatch);
    const auto calls = host.layoutMgr->calls().calls();
    return {countByName({calls.begin() + static_cast<std::ptrdiff_t>(before), calls.end()})};
}

void printEditingReport(const EditingReport& report) {
    fmt::print("\n{:<28} {:>8}\n", "layout manager call", "count");
    for (const auto& [name, count] : report.layoutCalls) fmt::print("{:<28} {:>8}\n", name, count);
}

}  // namespace sandbox
