# Third-party packages. On the Windows cross build fmt, spdlog, msgpack-c, CLI11 and stb
# are used header-only from the Debian headers (see cmake/QrcCrossDependencies.cmake).
if(CMAKE_CROSSCOMPILING)
  include(${CMAKE_CURRENT_LIST_DIR}/QrcCrossDependencies.cmake)
else()
  find_package(fmt REQUIRED)
  find_package(spdlog REQUIRED)
  find_package(msgpack REQUIRED)
  add_library(qrc_msgpack INTERFACE)
  target_link_libraries(qrc_msgpack INTERFACE msgpackc-cxx)
  target_compile_definitions(qrc_msgpack INTERFACE MSGPACK_NO_BOOST)
  if(QRC_BUILD_TESTS)
    find_package(GTest REQUIRED)
  endif()
  # stb (libstb-dev) ships headers only, included as <stb/...>; the simulated host
  # writes its text and scales its pictures with it.
  find_path(QRC_STB_INCLUDE_DIR stb/stb_image_resize.h REQUIRED)
  add_library(qrc_stb INTERFACE)
  target_include_directories(qrc_stb SYSTEM INTERFACE ${QRC_STB_INCLUDE_DIR})
  if(QRC_BUILD_SANDBOX)
    find_package(CLI11 REQUIRED)
    # nlohmann-json (header-only) writes the sandbox's trace; without it there is no --trace.
    find_package(nlohmann_json 3 QUIET)
  endif()
  if(QRC_BUILD_BENCH)
    find_package(benchmark REQUIRED)
  endif()
endif()
