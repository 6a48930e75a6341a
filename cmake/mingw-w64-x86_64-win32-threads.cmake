# The shipped setup.exe: the same cross build with the win32 thread model. The
# program has one thread, and the -posix runtime would link a pthread library
# and its locks into it; the tests keep the -posix build for std::thread.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-win32)
