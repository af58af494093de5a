#pragma once
// The host AV core library (tavcore): the clock at which input frames are pulled.
#include "qorvahost/export.h"

namespace zq::avcore {

class TAVCORE_API PlayerGlobalSettings {
public:
    static double getExtClock();
    // Host side: the clock value that getExtClock reports.
    static void setExtClock(double clock);
};

}  // namespace zq::avcore
