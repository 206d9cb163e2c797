# Cross-compiling for 32-bit Windows with Debian's mingw-w64 (posix threads):
# the build players download, since it runs on 32- and 64-bit Windows alike.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TORVA_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
