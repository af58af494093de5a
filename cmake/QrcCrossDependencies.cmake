# Third-party packages of the Windows cross build, under the target names of the
# Linux build. fmt, spdlog, msgpack-c, CLI11 and stb are used header-only from the
# Debian headers; GoogleTest and GoogleMock are built for the target from Debian's sources.

# The headers come through a folder of links in the build tree: putting /usr/include
# itself on the include path would bring in the build machine's C library headers.
set(QRC_CROSS_INCLUDE_DIR ${PROJECT_BINARY_DIR}/cross-include)
file(MAKE_DIRECTORY ${QRC_CROSS_INCLUDE_DIR})
foreach(entry fmt spdlog msgpack msgpack.hpp CLI stb)
  if(NOT EXISTS /usr/include/${entry})
    message(FATAL_ERROR "/usr/include/${entry} is missing: run scripts/install-deps.sh --windows")
  endif()
  file(CREATE_LINK /usr/include/${entry} ${QRC_CROSS_INCLUDE_DIR}/${entry} SYMBOLIC)
endforeach()

# Imported targets: their headers count as system headers, outside -Werror.
function(qrc_header_only_package target)
  add_library(${target} INTERFACE IMPORTED)
  set_target_properties(${target} PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES ${QRC_CROSS_INCLUDE_DIR}
    INTERFACE_COMPILE_DEFINITIONS "${ARGN}")
endfunction()

qrc_header_only_package(fmt::fmt FMT_HEADER_ONLY)
qrc_header_only_package(spdlog::spdlog SPDLOG_HEADER_ONLY SPDLOG_FMT_EXTERNAL)
set_property(TARGET spdlog::spdlog PROPERTY INTERFACE_LINK_LIBRARIES fmt::fmt)
qrc_header_only_package(qrc_msgpack MSGPACK_NO_BOOST)
qrc_header_only_package(qrc_stb)
if(QRC_BUILD_SANDBOX)
  qrc_header_only_package(CLI11::CLI11)
  # The sandbox's trace writer, when the JSON headers are there (optional).
  if(EXISTS /usr/include/nlohmann/json.hpp)
    file(CREATE_LINK /usr/include/nlohmann ${QRC_CROSS_INCLUDE_DIR}/nlohmann SYMBOLIC)
    qrc_header_only_package(nlohmann_json::nlohmann_json)
  endif()
endif()

if(QRC_BUILD_TESTS)
  set(INSTALL_GTEST OFF CACHE BOOL "GoogleTest is built for the tests only")
  set(BUILD_GMOCK ON CACHE BOOL "The tests use GoogleMock")
  # Defines GTest::gtest, GTest::gtest_main, GTest::gmock and GTest::gmock_main.
  add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()

# The compiler's C++ runtime DLLs go beside the programs and libraries, in the build
# tree and in the installed package, as a Windows host ships them.
set(QRC_CXX_RUNTIME_DLLS "")
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
    OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  file(COPY ${path} DESTINATION ${PROJECT_BINARY_DIR}/bin)
  install(FILES ${path} DESTINATION bin)
  list(APPEND QRC_CXX_RUNTIME_DLLS ${path})
endforeach()
