# Install rules and the exported package: a host finds the library with
#   find_package(qorvarenderctrl) and links qorva::renderctrl.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

# Installed libraries find each other in their own folder.
if(NOT WIN32)
  set_target_properties(qorvarenderctrl zqmediacore zqcutils tavcore jtspdlog PROPERTIES INSTALL_RPATH "$ORIGIN")
endif()

install(TARGETS qorvarenderctrl qorvahost qorvahost_headers zqmediacore zqcutils tavcore jtspdlog
  EXPORT qorvarenderctrlTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY include/qorvarenderctrl DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY host/include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/qorvahost-headers)

set(QRC_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/qorvarenderctrl)
install(EXPORT qorvarenderctrlTargets NAMESPACE qorva:: DESTINATION ${QRC_CMAKE_DIR})
configure_package_config_file(cmake/qorvarenderctrlConfig.cmake.in
  ${PROJECT_BINARY_DIR}/qorvarenderctrlConfig.cmake INSTALL_DESTINATION ${QRC_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/qorvarenderctrlConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/qorvarenderctrlConfig.cmake ${PROJECT_BINARY_DIR}/qorvarenderctrlConfigVersion.cmake
  DESTINATION ${QRC_CMAKE_DIR})
