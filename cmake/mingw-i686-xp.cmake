# Kolvex.exe as it ships: the same cross-compiler in its win32 thread model.
# The posix model's threads library, linked statically, imports Vista's
# GetTickCount64 even into a program without threads, so such a program does
# not start on Windows XP or Server 2003; the win32 model uses the system's
# own primitives and is smaller. The tests keep the posix compilers (see
# mingw-i686.cmake): GoogleTest needs std::mutex, which this model lacks.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
