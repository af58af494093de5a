#pragma once
// The host logging wrapper (jtspdlog): the one logger of the process.
#include <memory>

#include <spdlog/logger.h>

#include "qorvahost/export.h"

namespace JT {

class JTSPDLOG_API SpdlogBase {
public:
    SpdlogBase();
    virtual ~SpdlogBase();
    std::shared_ptr<spdlog::logger> logger();

    // Host side: replace the logger (tests install a capturing one).
    void setLogger(std::shared_ptr<spdlog::logger> logger);

private:
    struct State;
    std::unique_ptr<State> _state;
};

class JTSPDLOG_API SpdlogApplication : public SpdlogBase {
public:
    static SpdlogApplication& instance();
};

}  // namespace JT
