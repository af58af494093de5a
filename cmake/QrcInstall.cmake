# Install rules and the exported package: a host finds the library with
#   find_package(qorvarenderctrl) and links qorva::renderctrl.
#
# The package holds the library, its public headers, the host interface headers it
# was built against and the CMake package files. The host's closed libraries are the
# host's: qorva::renderctrl names them as qorva::zqmediacore, qorva::zqcutils,
# qorva::tavcore and qorva::jtspdlog, which the package's config makes from the
# host's own targets or libraries. The stand-ins built here install only on request:
#   cmake --install <build> --component hoststandins --prefix <folder>
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(QRC_HOST_LIBRARIES zqmediacore zqcutils tavcore jtspdlog)

# Installed, the library finds the host's libraries beside it or where the host's
# loader looks.
if(NOT WIN32)
  set_target_properties(qorvarenderctrl ${QRC_HOST_LIBRARIES} PROPERTIES INSTALL_RPATH "$ORIGIN")
endif()

install(TARGETS qorvarenderctrl
  EXPORT qorvarenderctrlTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY include/qorvarenderctrl DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
set(QRC_HOST_HEADERS_DIR ${CMAKE_INSTALL_INCLUDEDIR}/qorvahost-headers)
install(DIRECTORY host/include/ DESTINATION ${QRC_HOST_HEADERS_DIR} PATTERN "*_control.h" EXCLUDE)

# The stand-ins of the host's closed libraries, with the headers through which tests
# steer them: never part of a plain install.
install(TARGETS ${QRC_HOST_LIBRARIES}
  COMPONENT hoststandins EXCLUDE_FROM_ALL
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
file(GLOB QRC_STANDIN_CONTROL_HEADERS host/include/qorvahost/*_control.h)
install(FILES ${QRC_STANDIN_CONTROL_HEADERS}
  COMPONENT hoststandins EXCLUDE_FROM_ALL DESTINATION ${QRC_HOST_HEADERS_DIR}/qorvahost)

set(QRC_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/qorvarenderctrl)
install(EXPORT qorvarenderctrlTargets NAMESPACE qorva:: DESTINATION ${QRC_CMAKE_DIR})
configure_package_config_file(cmake/qorvarenderctrlConfig.cmake.in
  ${PROJECT_BINARY_DIR}/qorvarenderctrlConfig.cmake INSTALL_DESTINATION ${QRC_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/qorvarenderctrlConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/qorvarenderctrlConfig.cmake ${PROJECT_BINARY_DIR}/qorvarenderctrlConfigVersion.cmake
  DESTINATION ${QRC_CMAKE_DIR})
