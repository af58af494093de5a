#pragma once
// A PNG contact sheet: one tile per tapped layer, its last tapped picture above a
// caption.
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "qorvahost/zqmediacore.h"

namespace sandbox {

struct Tile {
    std::string caption;
    std::shared_ptr<const zq::mediacore::STAVFrame> picture;
};

class ContactSheet {
public:
    // Opens the file at once, so that an unwritable folder shows before the run;
    // throws std::runtime_error when it cannot.
    explicit ContactSheet(std::filesystem::path path);

    // Writes the tiles in rows; throws std::runtime_error when writing fails.
    void write(const std::vector<Tile>& tiles);
    const std::filesystem::path& path() const { return _path; }

private:
    std::filesystem::path _path;
    std::ofstream _file;
};

}  // namespace sandbox
