#include "qorvahost/zqmediacore.h"

namespace zq::mediacore {

IMeta::~IMeta() = default;

void IMeta::setIsOnline(bool online) { _online = online; }
bool IMeta::isOnline() const { return _online; }

}  // namespace zq::mediacore
