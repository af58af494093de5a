#pragma once
// GoogleMock doubles of the host interfaces, for tests that check exact calls.
#include <gmock/gmock.h>

#include "qorvahost.h"

namespace qrc::test {

using namespace qorva;
using namespace qorva::mediaoutput;
using namespace qorva::mediadispatch;
using tarsel::EditingMode;

class MockRenderFacade : public IRenderFacade {
public:
    MOCK_METHOD(void, render, (), (override));
    MOCK_METHOD(void, scaleLayerFrame,
                (LayerFrameInfo&, zq::mediacore::IFrame*, uint32_t, uint32_t, const std::string&, bool), (override));
    MOCK_METHOD(void, catchLayerFrame, (LayerFrameInfo&), (override));
    MOCK_METHOD(void, endFrame, (), (override));
    MOCK_METHOD(void, scaleInputFrame, (LayerFrameInfo&, zq::mediacore::IFrame*, int32_t, int32_t, const std::string&),
                (override));
    MOCK_METHOD(void, endInputPass, (), (override));
    MOCK_METHOD(void, beginInputPass, (), (override));
    MOCK_METHOD(void, waitForVBlank, (), (override));
    MOCK_METHOD(void, setInputMediaActive, (uint64_t, bool), (override));
    MOCK_METHOD(void, getDisplayCards, (std::vector<DisplayCardInfo>&), (override));
    MOCK_METHOD(void, getCardRenderFacade, (std::weak_ptr<IRenderFacade>&, const DisplayCardInfo&), (override));
    MOCK_METHOD(void, getOutputTextures, (const std::string&, (std::map<uint64_t, uint64_t>&)), (override));
};

class MockLayoutMgr : public IMediaOutputLayoutMgr {
public:
    MOCK_METHOD(void, clearMediaOutput, (), (override));
    MOCK_METHOD(std::weak_ptr<IOutputLayout>, addLayout, (uint64_t, const std::string&, int32_t, DispatchType),
                (override));
    MOCK_METHOD(std::weak_ptr<IOutputLayout>, findLayout, (uint64_t, int32_t), (override));
    MOCK_METHOD(std::vector<LayoutAttribute>, getLayoutAttributes, (), (override));
    MOCK_METHOD(void, deleteLayout, (uint64_t, DispatchType), (override));
    MOCK_METHOD(void, setLayoutKeep, (bool), (override));
    MOCK_METHOD(void, loadLayout, (uint64_t, DispatchType, EditingMode), (override));
    MOCK_METHOD(void, unLoadLayout, (uint64_t, DispatchType, EditingMode), (override));
    MOCK_METHOD(void, changeLayoutName, (uint64_t, const std::string&, uint32_t), (override));
    MOCK_METHOD(void, setAllLayoutProperty, (uint64_t, bool, EditingMode, bool), (override));
    MOCK_METHOD(void, setLayoutProperty, (uint64_t, uint64_t, EditingMode), (override));
    MOCK_METHOD(void, createLayoutCopy, (uint64_t, uint64_t, const std::string&, EditingMode), (override));
    MOCK_METHOD(void, changeLayoutLock, (uint64_t, bool, EditingMode), (override));
    MOCK_METHOD(void, addLayer, (const std::vector<uint64_t>&, uint64_t, const std::string&), (override));
    MOCK_METHOD(void, removeLayer, (const std::vector<uint64_t>&, uint64_t, bool), (override));
    MOCK_METHOD(void, setLayerSource, (uint64_t, uint64_t, uint64_t, EditingMode, int32_t), (override));
    MOCK_METHOD(void, restoreLayerSource, (uint64_t, uint64_t, uint64_t, EditingMode), (override));
    MOCK_METHOD(void, setMediaLayerId, (uint64_t, uint64_t, EditingMode), (override));
    MOCK_METHOD(void, setLayerName, (uint64_t, uint64_t, const std::string&), (override));
    MOCK_METHOD(void, addMedias, (const std::vector<MediaInfo>&), (override));
    MOCK_METHOD(void, replaceMedias, (uint64_t, EditingMode), (override));
    MOCK_METHOD(void, removeMedia, (uint64_t, uint64_t, EditingMode), (override));
    MOCK_METHOD(void, setMediaVisible, (uint64_t, bool, uint32_t), (override));
    MOCK_METHOD(void, setMediaColorProperty,
                ((const std::vector<std::pair<uint64_t, tarsel::ColorProperty>>&), const EditingMode&), (override));
    MOCK_METHOD(void, setMediaDisplayCards, (uint64_t, const std::vector<std::string>&, const EditingMode&),
                (override));
    MOCK_METHOD(void, setMediaBorderProperty,
                (const std::vector<uint64_t>&, const tarsel::BorderProperty&, const EditingMode&), (override));
    MOCK_METHOD(void, setMediaPickProperty,
                (const std::vector<uint64_t>&, const tarsel::PickProperty&, const EditingMode&), (override));
    MOCK_METHOD(void, setMediaEffectProperty,
                (const std::vector<uint64_t>&, const tarsel::EffectType&, const tarsel::EffectProperty&,
                 const EditingMode&),
                (override));
    MOCK_METHOD(void, toggleMediaFade, (const STMediaFadeInfo&), (override));
    MOCK_METHOD(void, updateLayerFrame, (const LayerFrameInfo&), (override));
    MOCK_METHOD(void, releaseMedias, (const std::vector<MediaInfo>&), (override));
    MOCK_METHOD(void, forceUpdateMedia, (uint64_t, EditingMode, bool), (override));
    MOCK_METHOD(void, syncPreeditDatas, (uint64_t), (override));
    MOCK_METHOD(void, setCurrentLayoutUsableLayerCallback, (const std::function<uint64_t()>&), (override));
    MOCK_METHOD(void, setLayerLockStateCallback, (const std::function<bool(uint64_t)>&), (override));
    MOCK_METHOD(std::weak_ptr<IRenderView>, getRenderView, (), (override));
    MOCK_METHOD(void, setMediaPlayState, (const STMediaPlayStateInfo&, int32_t), (override));
    MOCK_METHOD(void, selectLayer, (uint64_t, uint64_t), (override));
    MOCK_METHOD(void, resetLayoutKeep, (), (override));
    MOCK_METHOD(void, loadPreviewLayout, (), (override));
    MOCK_METHOD(void, getOutputLayerSizes, (std::list<OutputLayerSize>&, const std::string&, bool*, bool*), (override));
};

class MockMediaDispatchMgr : public IMediaDispatchMgr {
public:
    MOCK_METHOD(std::vector<std::weak_ptr<IDispatch>>, getDispatches, (), (override));
    MOCK_METHOD(void, takeCut, (bool, bool), (override));
    MOCK_METHOD(void, outputDelMedias, (const std::vector<MediaInfo>&, bool), (override));
    MOCK_METHOD(void, outputAddMedias, (const std::vector<MediaInfo>&), (override));
    MOCK_METHOD(uint64_t, getCurrentLayoutUsableLayer, (), (override));
    MOCK_METHOD(void, fillRenderCtrlMgrCallBackCommon, (RenderCtrlMgrCallBackCommon&), (override));
    MOCK_METHOD(bool, getLayerLockState, (uint64_t), (override));
    MOCK_METHOD(void, setLayoutName, (uint64_t, const std::string&), (override));
    MOCK_METHOD(void, setLayoutLocked, (uint64_t, bool), (override));
    MOCK_METHOD(void, getCheckLayerName, (std::string&, int32_t, uint64_t, uint32_t), (override));
};

class MockMediaMgr : public tarsel::IMediaMgr {
public:
    MOCK_METHOD(void, getInputSources, (std::vector<tarsel::InputSourceItem>&, const std::string&, bool), (override));
    MOCK_METHOD(void, notifyMediaUpdateDisplayCards, ((const std::multimap<uint64_t, EditingMode>&)), (override));
    MOCK_METHOD(void, setFrameSync, (IFrameSync*), (override));
    MOCK_METHOD(void*, getFrameSyncCodexCtx, (), (override));
    MOCK_METHOD(void, mediaMgrDetached, (), (override));
    MOCK_METHOD(void, notifyMasterRole, (bool), (override));
    MOCK_METHOD(void, setMasterFrameTime, (const std::string&, double), (override));
};

class MockRuntime : public tarsel::IZQRuntime {
public:
    MOCK_METHOD(void, postTask, (const std::function<void()>&, const char*, const char*, int), (override));
    MOCK_METHOD(int, startTimer, (int, const std::function<void(int)>&, int), (override));
    MOCK_METHOD(void, stopTimer, (int), (override));
    MOCK_METHOD(void, registerEventHandler, (const char*, const char*, const std::function<void(void*)>&, void*, int),
                (override));
    MOCK_METHOD(void, unregisterEventHandler, (const char*, const char*, void*), (override));
    MOCK_METHOD(bool, isServerMode, (), (override));
    MOCK_METHOD(bool, isClientMode, (), (override));
};

class MockSenderMgr : public IVirtualSenderMgr {
public:
    MOCK_METHOD(void, updateSenderTexture, (uint64_t, uint64_t), (override));
};

class MockPlayer : public tarsel::IPlayer {
public:
    MOCK_METHOD(std::shared_ptr<zq::mediacore::IMeta>, getMeta, (), (override));
    MOCK_METHOD(zq::mediacore::IFrame*, getFrame, (double), (override));
    MOCK_METHOD(void, frameConsumed, (), (override));
};

class MockMeta : public zq::mediacore::IMeta {
public:
    MOCK_METHOD(std::string, getId, (), (const, override));
    MOCK_METHOD(std::string, getUrl, (), (const, override));
    MOCK_METHOD(int32_t, getSourceType, (), (const, override));
    MOCK_METHOD(std::shared_ptr<zq::mediacore::IFrame>, getCurrentFrame, (), (override));
    MOCK_METHOD(std::shared_ptr<zq::mediacore::IFrame>, getOrgThumbFrame, (), (override));
    MOCK_METHOD(void, destroyOrgThumbnail, (), (override));
};

}  // namespace qrc::test
