// The answers the manager gives the layout manager, its render view and the
// dispatches, with and without the services that know them.
#include <limits>

#include <gmock/gmock.h>

#include "common/log.h"
#include "renderctrlmgr/editingscene.h"

namespace qorva::mediadispatch::test {
namespace {

class Callbacks : public EditingScene {
protected:
    // One warning per function, in order, each with the message.
    void expectWarnings(const char* message, const Strings& functions) {
        const auto records = log.records();
        ASSERT_EQ(records.size(), functions.size());
        for (size_t i = 0; i < records.size(); ++i) {
            EXPECT_EQ(records[i].message, message);
            EXPECT_EQ(records[i].level, renderctrl::log::Warn);
            EXPECT_THAT(records[i].line, ::testing::HasSubstr(":" + functions[i] + "()#"));
        }
    }
};

TEST_F(Callbacks, WithoutTheDispatchManagerGiveTheirFixedAnswers) {
    wire(Service::dispatchMgr);
    const auto view = host.layoutMgr->renderView();
    EXPECT_EQ(host.layoutMgr->usableLayerCallback()(), std::numeric_limits<uint64_t>::max());
    EXPECT_TRUE(view->layerLockStateCallback()(5));
    const auto record = view->callBackCommon()(RenderCtrlMgrCallBack_PreviewLayout);
    EXPECT_EQ(record.type, RenderCtrlMgrCallBack_None);
    EXPECT_EQ(record.value0 | record.value1, 0u);
    expectWarnings("mediaDispatchMgr is null",
                   {"currentLayoutUsableLayerCallback", "getLayerLockStateCallback", "getRenderCtrlMgrCallBackCommon"});
}

TEST_F(Callbacks, RelayTheDispatchManagersAnswers) {
    wire();
    host.dispatchMgr->setUsableLayer(42);
    host.dispatchMgr->setLockedLayer(5);
    const auto view = host.layoutMgr->renderView();
    EXPECT_EQ(view->usableLayerCallback()(), 42u);
    EXPECT_TRUE(host.layoutMgr->layerLockStateCallback()(5));
    EXPECT_FALSE(host.layoutMgr->layerLockStateCallback()(6));
    const auto record = view->callBackCommon()(RenderCtrlMgrCallBack_PreviewLayout);
    EXPECT_EQ(host.dispatchMgr->calls().calls().back(), "fillRenderCtrlMgrCallBackCommon(2,0,0)");
    EXPECT_EQ(record.type, RenderCtrlMgrCallBack_PreviewLayout);
    EXPECT_EQ(record.value0 + record.value1, 33u);  // as the dispatch manager filled it
    EXPECT_EQ(log.size(), 0u);
}

TEST_F(Callbacks, DispatchCallbacksWithoutTheLayoutManager) {
    wire(Service::layoutMgr);
    EXPECT_TRUE(d.layoutPropertyCallback()().empty());
    EXPECT_FALSE(d.patchSelectStatusCallback()());
    expectWarnings("layoutMgr is null", {"layoutPropertyCallback", "patchSelectStatusCallback"});
}

TEST_F(Callbacks, DispatchCallbacksAskTheLayoutManagerAndItsRenderView) {
    wire();
    host.layoutMgr->addLayout(7, "L", -1, DispatchType::Unknown);
    const auto attributes = d.layoutPropertyCallback()();
    ASSERT_EQ(attributes.size(), 1u);
    EXPECT_EQ(attributes[0].layoutId, 7u);
    const auto patchSelectStatus = d.patchSelectStatusCallback();
    EXPECT_TRUE(patchSelectStatus());  // nothing selected
    host.layoutMgr->renderView()->setSelectedPatchCount(2);
    EXPECT_FALSE(patchSelectStatus());
    EXPECT_EQ(log.size(), 0u);
    host.layoutMgr->setRenderView(nullptr);
    EXPECT_FALSE(patchSelectStatus());
    expectWarnings("renderView is null", {"patchSelectStatusCallback"});
}

}  // namespace
}  // namespace qorva::mediadispatch::test
