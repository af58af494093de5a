#pragma once
// The whole simulated host: every service the render control library is handed.
#include <memory>
#include <string>
#include <vector>

#include "qorvasim/dispatchmgr.h"
#include "qorvasim/layoutmgr.h"
#include "qorvasim/mediamgr.h"
#include "qorvasim/outputs.h"
#include "qorvasim/renderfacade.h"
#include "qorvasim/runtime.h"

namespace qorva::sim {

struct SimHost {
    std::shared_ptr<SimRenderFacade> facade = std::make_shared<SimRenderFacade>();
    std::shared_ptr<SimLayoutMgr> layoutMgr = std::make_shared<SimLayoutMgr>();
    std::shared_ptr<SimMediaDispatchMgr> dispatchMgr = std::make_shared<SimMediaDispatchMgr>();
    std::shared_ptr<SimPhysicsOutputMgr> physicsOutputMgr = std::make_shared<SimPhysicsOutputMgr>();
    std::shared_ptr<SimProgramDispatch> programDispatch = std::make_shared<SimProgramDispatch>();
    SimMediaMgr mediaMgr;
    SimRuntime runtime;
    SimOutputMgr outputMgr;
    SimSenderMgr senderMgr;

    // A display card with players placed on it, one layer per player.
    std::shared_ptr<SimRenderFacade> addCard(const std::string& text);
    std::shared_ptr<SimPlayer> addPlayer(const std::string& cardText, SimPlayer::Options options, uint64_t layerId,
                                         uint32_t layerNumber);
    // Any other item on a card (a still layer, a thumbnail), after those added before.
    void addItem(const std::string& cardText, tarsel::InputSourceItem item);

    std::vector<std::shared_ptr<SimPlayer>> players;

private:
    std::map<std::string, std::vector<tarsel::InputSourceItem>> _items;
};

}  // namespace qorva::sim
