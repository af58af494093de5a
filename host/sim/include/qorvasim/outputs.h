#pragma once
// Output manager, virtual sender manager and physical output manager.
#include <atomic>
#include <map>
#include <mutex>

#include "qorvahost/ioutputmgr.h"
#include "qorvasim/calllog.h"

namespace qorva::sim {

class SimOutputMgr : public qorva::mediaoutput::IOutputMgr {
public:
    void startLayoutFade(const LayoutStartFadeParam& param) override;
    void stopLayoutFade(uint64_t layoutId) override;
    CallLog& calls() { return _calls; }

private:
    CallLog _calls;
};

// Counts the textures it is handed, per sender key, and keeps the last one.
class SimSenderMgr : public qorva::mediaoutput::IVirtualSenderMgr {
public:
    void updateSenderTexture(uint64_t key, uint64_t texture) override;

    uint64_t updates() const { return _updates; }
    std::map<uint64_t, uint64_t> lastTextures() const;
    // How many textures each sender key was handed.
    std::map<uint64_t, uint64_t> updatesPerKey() const;
    // Record every call in calls() too (off by default: the draw path is hot).
    void setRecording(bool on) { _recording = on; }
    CallLog& calls() { return _calls; }

private:
    std::atomic<uint64_t> _updates{0};
    std::atomic<bool> _recording{false};
    mutable std::mutex _mutex;
    std::map<uint64_t, uint64_t> _last;
    std::map<uint64_t, uint64_t> _perKey;
    CallLog _calls;
};

class SimPhysicsOutputMgr : public qorva::mediaoutput::IPhysicsOutputMgr {};

}  // namespace qorva::sim
