# Cross build for Windows x64 with clang and lld instead of the MinGW-w64 g++:
# the same headers, import libraries, windres and widl, and the posix-threads
# libstdc++ that the MinGW-w64 g++ ships, so both builds link the same runtime.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake)

set(CMAKE_C_COMPILER   clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET   ${MINGW_PREFIX})
set(CMAKE_CXX_COMPILER_TARGET ${MINGW_PREFIX})

# clang finds the MinGW-w64 headers on its own but not g++'s library folder,
# whose name ("12-posix") it does not read as a version: take it from g++.
execute_process(COMMAND ${MINGW_PREFIX}-g++-posix -print-libgcc-file-name
                OUTPUT_VARIABLE mingw_libgcc OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(MINGW_GCC_DIR "${mingw_libgcc}" DIRECTORY)
if(NOT EXISTS "${MINGW_GCC_DIR}/include/c++")
    message(FATAL_ERROR "no libstdc++ of ${MINGW_PREFIX}-g++-posix found (looked in '${MINGW_GCC_DIR}')")
endif()
set(CMAKE_CXX_FLAGS_INIT "-isystem ${MINGW_GCC_DIR}/include/c++ -isystem ${MINGW_GCC_DIR}/include/c++/${MINGW_PREFIX}")

# libstdc++ of the posix thread model calls winpthread.
foreach(kind EXE SHARED MODULE)
    string(APPEND CMAKE_${kind}_LINKER_FLAGS_INIT " -fuse-ld=lld -L${MINGW_GCC_DIR} -lwinpthread")
endforeach()
