# The native Linux saver: Qt 6 Widgets for the forms, libmpv for the video,
# Xlib for the window lookup. Built from the same sources as the tests, but
# optimised and without the sanitizers.
find_package(Qt6 COMPONENTS Widgets Test QUIET)
find_package(PkgConfig QUIET)
if(PkgConfig_FOUND)
    pkg_check_modules(MPV IMPORTED_TARGET mpv)
    pkg_check_modules(X11 IMPORTED_TARGET x11)
endif()

if(NOT Qt6Widgets_FOUND OR NOT MPV_FOUND OR NOT X11_FOUND)
    message(WARNING "Native saver not built: it needs qt6-base-dev, libmpv-dev and "
                    "libx11-dev (scripts/install-deps installs them)")
    return()
endif()

add_library(vidsaver_core_native STATIC ${VIDSAVER_CORE_SOURCES})
target_include_directories(vidsaver_core_native PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(vidsaver_core_native PRIVATE -O2)

file(GLOB VIDSAVER_LINUX_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/linux/*.cpp)
add_library(vidsaver_linux STATIC ${VIDSAVER_LINUX_SOURCES})
target_include_directories(vidsaver_linux PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_options(vidsaver_linux PRIVATE -O2)
target_link_libraries(vidsaver_linux PUBLIC Qt6::Widgets PkgConfig::MPV PkgConfig::X11)
set_target_properties(vidsaver_linux PROPERTIES AUTOMOC OFF)

add_executable(vidsaver ${CMAKE_SOURCE_DIR}/startup/main.cpp)
target_compile_options(vidsaver PRIVATE -O2)
target_link_libraries(vidsaver PRIVATE vidsaver_linux vidsaver_core_native)
set(VIDSAVER_NATIVE_BUILT ON)
