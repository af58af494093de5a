#include "common/log.h"

#include <spdlog/logger.h>

#include "qorvahost/jtspdlog.h"

namespace qorva::renderctrl::log {

std::string_view baseName(std::string_view path) {
    const auto cut = path.find_last_of("\\/");
    return cut == std::string_view::npos ? path : path.substr(cut + 1);
}

std::string_view functionName(std::string_view function) {
    return function == "operator()" ? std::string_view("operator ()") : function;
}

std::string buildLine(std::string_view message, std::string_view file, std::string_view function, int line) {
    return fmt::format("{} \n //{}:{}()#{}.", message, baseName(file), functionName(function), line);
}

void write(int level, std::string_view message, const char* file, const char* function, int line) {
    const std::string text = buildLine(message, file, function, line);
    JT::SpdlogApplication::instance().logger()->log(static_cast<spdlog::level::level_enum>(level),
                                                    spdlog::string_view_t(text.data(), text.size()));
}

}  // namespace qorva::renderctrl::log
