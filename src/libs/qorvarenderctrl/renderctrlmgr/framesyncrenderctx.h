#pragma once
// The render context handed to the frame sync library for one display card: the
// library's thread runs the card's draw passes and vertical-blank waits through it.
// No exception leaves these calls: the frame sync library is built apart.
#include <memory>

#include "qorvarenderctrl/iframesyncrenderctx.h"
#include "renderctrl/renderctrl.h"

namespace qorva::mediadispatch {

class FrameSyncRenderCtx : public IFrameSyncRenderCtx {
public:
    explicit FrameSyncRenderCtx(std::weak_ptr<RenderCtrl> renderCtrl) : _renderCtrl(std::move(renderCtrl)) {}

    void waitForVBlank() override;
    void renderScene(int value) override;

private:
    std::weak_ptr<RenderCtrl> _renderCtrl;
};

}  // namespace qorva::mediadispatch
