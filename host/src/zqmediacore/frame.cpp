#include "qorvahost/zqmediacore.h"

#include <atomic>

#include "qorvahost/zqmediacore_control.h"

namespace zq::mediacore {

namespace {
std::atomic<uint64_t> constructed{0};
}  // namespace

uint64_t control::framesConstructed() { return constructed; }

IFrame::IFrame() { ++constructed; }
IFrame::~IFrame() = default;

int32_t IFrame::getWidth() const { return _picture ? _picture->width : 0; }
int32_t IFrame::getHeight() const { return _picture ? _picture->height : 0; }
double IFrame::getTime() const { return _time; }
uint64_t IFrame::getFps() const { return _fps; }

void IFrame::setFps(uint64_t fps) { _fps = fps; }
std::shared_ptr<STAVFrame> IFrame::kframe() const { return _picture; }

void IFrame::attachPicture(std::shared_ptr<STAVFrame> picture) { _picture = std::move(picture); }
void IFrame::setTime(double time) { _time = time; }

}  // namespace zq::mediacore
