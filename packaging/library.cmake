# The Vantor library for other programs: headers, static libraries with the platform
# libraries they stand on, and the CMake package (find_package(Vantor) -> Vantor::vantor).

# The headers keep their source paths (vantor/draw/draw.h, platform/app.h) under a folder
# of their own. Left out: the kernels' internals and the backends, but for the function
# that starts the SDL one.
set(vantor_include_dir ${CMAKE_INSTALL_INCLUDEDIR}/vantor)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/vantor ${CMAKE_SOURCE_DIR}/platform
  DESTINATION ${vantor_include_dir} COMPONENT dev
  FILES_MATCHING PATTERN "*.h"
  PATTERN "kernels_sets.h" EXCLUDE
  PATTERN "kernels_simd.h" EXCLUDE
  PATTERN "headless" EXCLUDE
  PATTERN "sdl" EXCLUDE)
install(FILES ${CMAKE_SOURCE_DIR}/platform/sdl/backend.h DESTINATION ${vantor_include_dir}/platform/sdl
  COMPONENT dev)

install(TARGETS platform_core platform_sdl
    vantor_system vantor_draw vantor_sound vantor_midi vantor_input vantor
  EXPORT VantorTargets
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev
  INCLUDES DESTINATION ${vantor_include_dir})

set(vantor_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Vantor)
install(EXPORT VantorTargets NAMESPACE Vantor:: DESTINATION ${vantor_cmake_dir} COMPONENT dev)
include(CMakePackageConfigHelpers)
configure_package_config_file(VantorConfig.cmake.in VantorConfig.cmake INSTALL_DESTINATION ${vantor_cmake_dir})
write_basic_package_version_file(VantorConfigVersion.cmake COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/VantorConfig.cmake
    ${CMAKE_CURRENT_BINARY_DIR}/VantorConfigVersion.cmake
  DESTINATION ${vantor_cmake_dir} COMPONENT dev)
