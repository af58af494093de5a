# Settings shared by every target of this project.

if(QRC_SANITIZE STREQUAL "thread")
  set(QRC_SANITIZER_FLAGS -fsanitize=thread)
elseif(QRC_SANITIZE STREQUAL "address")
  set(QRC_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
elseif(NOT QRC_SANITIZE STREQUAL "")
  message(FATAL_ERROR "QRC_SANITIZE must be thread, address or empty")
endif()
# The fuzz build instruments everything for libFuzzer, with ASan and UBSan on.
if(QRC_BUILD_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "QRC_BUILD_FUZZ needs clang (the fuzz preset sets it)")
  endif()
  list(APPEND QRC_SANITIZER_FLAGS -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
endif()
if(QRC_SANITIZER_FLAGS)
  add_compile_options(${QRC_SANITIZER_FLAGS})
  add_link_options(${QRC_SANITIZER_FLAGS})
endif()

# Our own code builds warning-free; third-party headers come in as system includes.
# Designated initializers that leave fields at their defaults are intended.
function(qrc_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wno-missing-field-initializers)
  set_target_properties(${target} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
endfunction()

# Windows libraries carry their plain names (qorvarenderctrl.dll, zqcutils.dll), as
# the host expects them; import libraries keep MinGW's lib<name>.dll.a.
if(WIN32)
  set(CMAKE_SHARED_LIBRARY_PREFIX "")
endif()

# A module opened at run time by its file name, "./<name>.dll" on every platform,
# put beside the executables that load it (the library opens the frame sync module
# this way).
function(qrc_add_runtime_module name)
  add_library(${name} MODULE ${ARGN})
  qrc_target_defaults(${name})
  set_target_properties(${name} PROPERTIES PREFIX "" SUFFIX ".dll")
endfunction()
