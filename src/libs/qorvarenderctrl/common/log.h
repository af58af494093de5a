#pragma once
// The one log helper. Every line reads: message, " \n //", source file base name,
// ":", bare function name, "()#", line number, ".". The line is built at every
// site, also when the logger filters its level out.
#include <string>
#include <string_view>

#include <fmt/format.h>

namespace qorva::renderctrl::log {

// spdlog's numeric levels.
enum Level : int { Trace = 0, Debug = 1, Info = 2, Warn = 3, Err = 4, Critical = 5 };

// The part of a path after its last backslash or slash.
std::string_view baseName(std::string_view path);
// Lambdas log as "operator ()", whatever the compiler calls them.
std::string_view functionName(std::string_view function);
std::string buildLine(std::string_view message, std::string_view file, std::string_view function, int line);
void write(int level, std::string_view message, const char* file, const char* function, int line);

}  // namespace qorva::renderctrl::log

#define QRC_LOG(level, ...) \
    ::qorva::renderctrl::log::write((level), ::fmt::format(__VA_ARGS__), __FILE__, __func__, __LINE__)
#define QRC_INFO(...) QRC_LOG(::qorva::renderctrl::log::Info, __VA_ARGS__)
#define QRC_WARN(...) QRC_LOG(::qorva::renderctrl::log::Warn, __VA_ARGS__)
#define QRC_ERR(...) QRC_LOG(::qorva::renderctrl::log::Err, __VA_ARGS__)

// A step of an operation that lives in a helper logs under the operation's name.
#define QRC_LOG_AS(function, level, ...) \
    ::qorva::renderctrl::log::write((level), ::fmt::format(__VA_ARGS__), __FILE__, (function), __LINE__)
#define QRC_INFO_AS(function, ...) QRC_LOG_AS(function, ::qorva::renderctrl::log::Info, __VA_ARGS__)
#define QRC_WARN_AS(function, ...) QRC_LOG_AS(function, ::qorva::renderctrl::log::Warn, __VA_ARGS__)
