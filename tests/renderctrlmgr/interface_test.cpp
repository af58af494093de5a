// The virtual tables the host and the frame sync library are compiled against.
#include <gtest/gtest.h>

#include "qorvahost/iframesync.h"
#include "qorvarenderctrl/iframesyncrenderctx.h"
#include "qorvarenderctrl/irenderctrl.h"
#include "support/vtable.h"

namespace qorva::mediadispatch {
namespace {

using qrc::test::vtableSlot;

// The destructor takes slots 0 and 1; the operations follow in the host's order.
TEST(Interfaces, IRenderCtrlKeepsTheHostsOrder) {
    using I = IRenderCtrl;
    const std::vector<std::ptrdiff_t> slots = {
        vtableSlot(&I::setMediaDispatchMgr),
        vtableSlot(&I::unsetMediaDispatchMgr),
        vtableSlot(&I::setMediaMgr),
        vtableSlot(&I::unsetMediaMgr),
        vtableSlot(&I::setRenderFacade),
        vtableSlot(&I::setFrameDataCallBack),
        vtableSlot(&I::setFrameDataSwitch),
        vtableSlot(&I::setFrameSyncCheckLayerIndex),
        vtableSlot(&I::setFrameSyncMode),
        vtableSlot(&I::setFrameSyncLocalCheck),
        vtableSlot(&I::createFrameSync),
        vtableSlot(&I::setFrameSyncFlag),
        vtableSlot(&I::release),
        vtableSlot(&I::unsetOutPutLayoutMgr),
        vtableSlot(&I::setOutPutLayoutMgr),
        vtableSlot(&I::setOutPutMgr),
        vtableSlot(&I::setPhysicsOutputMgr),
        vtableSlot(&I::setMediaVisible),
        vtableSlot(&I::showOrgThumbnail),
        vtableSlot(&I::isDraw),
        vtableSlot(&I::reservedOp1),
        vtableSlot(&I::reservedOp2),
        vtableSlot(&I::reservedOp3),
        vtableSlot(&I::reservedOp4),
        vtableSlot(&I::updateGetFrameTime),
        vtableSlot(&I::setLinkState),
        vtableSlot(&I::setZQRuntime),
        vtableSlot(&I::unsetZQRuntime),
        vtableSlot(&I::setSenderMgr),
    };
    ASSERT_EQ(slots.size(), 29u);
    for (size_t i = 0; i < slots.size(); ++i) EXPECT_EQ(slots[i], static_cast<std::ptrdiff_t>(i + 2)) << i;
}

TEST(Interfaces, IFrameSyncRenderCtxPutsItsDestructorLast) {
    EXPECT_EQ(vtableSlot(&IFrameSyncRenderCtx::waitForVBlank), 0);
    EXPECT_EQ(vtableSlot(&IFrameSyncRenderCtx::renderScene), 1);
}

TEST(Interfaces, IFrameSyncKeepsTheLibrarysOrder) {
    EXPECT_EQ(vtableSlot(&IFrameSync::destroy), 0);
    EXPECT_EQ(vtableSlot(&IFrameSync::init), 1);
    EXPECT_EQ(vtableSlot(&IFrameSync::addRenderCtx), 2);
    EXPECT_EQ(vtableSlot(&IFrameSync::setMasterCard), 3);
    EXPECT_EQ(vtableSlot(&IFrameSync::getNetPort), 4);
    EXPECT_EQ(vtableSlot(&IFrameSync::linkTarget), 5);
    EXPECT_EQ(vtableSlot(&IFrameSync::dislinkTarget), 6);
    EXPECT_EQ(vtableSlot(&IFrameSync::setSyncMode), 7);
    EXPECT_EQ(vtableSlot(&IFrameSync::keepMasterTime), 8);
}

}  // namespace
}  // namespace qorva::mediadispatch
