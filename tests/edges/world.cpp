#include "edges/world.h"

#include <chrono>
#include <condition_variable>

#include "qorvasim/pausepoints.h"
#include "support/managerfixture.h"

namespace qrc::edges {

namespace {

using namespace std::chrono_literals;
using qorva::MediaInfo;
using zq::mediacore::IFrame;

constexpr auto kBlank = 2ms;  // quick blanks: a release returns after one
constexpr uint64_t kFrameSyncLayer = 11;
constexpr uint64_t kOwnThreadLayer = 12;
constexpr uint64_t kInputPlacement = 21;

std::mutex passMutex;
std::condition_variable passed;

}  // namespace

World::World() {
    qorva::sim::watchCalls([this](const char* call, const std::string& where) { watch(call, where); });
    host.runtime.useManualClock();
    frameSyncCard = host.facade->addCard(kFrameSyncCard, kBlank);
    ownThreadCard = host.facade->addCard(kOwnThreadCard, kBlank);
    for (const auto& card : {frameSyncCard, ownThreadCard}) card->setRenderHook([] { passed.notify_all(); });
    host.addPlayer(kFrameSyncCard, {.name = "a", .width = 32, .height = 18}, kFrameSyncLayer, 1);
    host.addPlayer(kOwnThreadCard, {.name = "b", .width = 32, .height = 18}, kOwnThreadLayer, 1);
    test::wire(*mgr, host, dispatch, managerTap(), 1);
    wireInputs();
    wireLink();
}

World::~World() {
    teardown();
    qorva::sim::watchCalls({});
}

FrameDataCallBack World::managerTap() {
    return [this](const MediaInfo& info, const IFrame*) {
        const bool frameSync = info.mediaId == kFrameSyncLayer;
        qorva::sim::pausePoint("tap", frameSync ? kFrameSyncCard : kOwnThreadCard);
        onCallback(frameSync ? Callback::frameSyncTap : Callback::renderTap);
    };
}

FrameDataCallBack World::inputFrameTap() {
    return [](const MediaInfo&, const IFrame*) { qorva::sim::pausePoint("inputFrameTap"); };
}

InputFrameDataUpdateCallBack World::inputUpdateTap() {
    return [this](uint64_t, const IFrame*) {
        qorva::sim::pausePoint("inputTap");
        onCallback(Callback::inputTap);
    };
}

void World::wireInputs() {
    auto player = std::make_shared<qorva::sim::SimPlayer>(
        qorva::sim::SimPlayer::Options{.name = "capture", .width = 32, .height = 18, .url = "capture://0"});
    host.players.push_back(player);
    tarsel::InputSourceItem item{.sharedPlayer = player, .thumbnailMeta = player->meta()};
    item.placements.push_back({kInputPlacement, 0.f, 0.f, 640.f, 360.f});
    item.layerNumber = 3;
    item.scaleKey = "capture";
    host.mediaMgr.setInputSources(kInputs, {item});
    inputs->setMediaDispatchMgr(host.dispatchMgr);
    inputs->setMediaMgr(&host.mediaMgr);
    inputs->setZQRuntime(&host.runtime);
    inputs->setFrameDataCallBack(inputFrameTap());
    inputs->setInputFrameDataUpdateCallBack(inputUpdateTap());
    inputs->setRenderFacade(host.facade);
}

void World::wireLink() {
    cluster.addNode(kPeerIp);
    node = &cluster.addNode(kNodeIp);
    link->setMediaMgr(&host.mediaMgr);
    link->setZQRuntime(&host.runtime);
    link->setRenderCtrl(mgr);
    link->setProgramDispatch(host.programDispatch);
    link->setLinkMgr(node);
    cluster.setRole(kPeerIp, tarsel::link::ServerType_Master);  // this node has no role: its cards tap
}

bool World::awaitPasses(uint64_t passes) {
    const uint64_t inputTarget = host.facade->inputPasses() + passes;
    const uint64_t a = frameSyncCard->renders() + passes, b = ownThreadCard->renders() + passes;
    std::unique_lock lock(passMutex);
    const bool cards =
        passed.wait_for(lock, 10s, [&] { return frameSyncCard->renders() >= a && ownThreadCard->renders() >= b; });
    lock.unlock();
    return cards && host.facade->awaitInputPasses(inputTarget, 10s);
}

void World::teardown() {
    if (link) link->unsetLinkMgr();
    if (mgr) test::unwire(*mgr);
    if (inputs) test::unwire(*inputs);
    link.reset();
    mgr.reset();
    inputs.reset();
}

std::future<void> World::runInside(Callback callback, std::function<void()> action) {
    std::packaged_task<void()> task(std::move(action));
    auto done = task.get_future();
    std::lock_guard lock(_mutex);
    _actions.emplace_back(callback, std::move(task));
    return done;
}

void World::onCallback(Callback callback) {
    std::packaged_task<void()> task;
    {
        std::lock_guard lock(_mutex);
        for (auto it = _actions.begin(); it != _actions.end(); ++it) {
            if (it->first != callback) continue;
            task = std::move(it->second);
            _actions.erase(it);
            break;
        }
    }
    if (task.valid()) task();
}

void World::close(const std::string& call, const std::string& where) {
    std::lock_guard lock(_mutex);
    _closed.emplace(call, where);
}

std::vector<std::string> World::violations() const {
    std::lock_guard lock(_mutex);
    return _violations;
}

void World::watch(const char* call, const std::string& where) {
    std::lock_guard lock(_mutex);
    if (_closed.count({call, where}) || _closed.count({call, {}})) _violations.push_back(call + ("@" + where));
}

}  // namespace qrc::edges
