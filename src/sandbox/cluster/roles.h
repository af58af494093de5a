#pragma once
// The names of the cluster roles, as the sandbox prints them.
#include <string>

#include "qorvahost/ilinkmgr.h"

namespace sandbox {

inline std::string roleName(int type) {
    switch (type) {
        case tarsel::link::ServerType_Master:
            return "master";
        case tarsel::link::ServerType_Slave:
            return "slave";
        case tarsel::link::ServerType_MasterBackup:
            return "master backup";
        case tarsel::link::ServerType_SlaveBackup:
            return "slave backup";
        default:
            return "none";
    }
}

}  // namespace sandbox
