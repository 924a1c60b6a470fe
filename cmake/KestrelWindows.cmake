# Settings of the Windows build (MinGW-w64, cmake/mingw-w64-x86_64.cmake), included by the top
# CMakeLists.txt before any target is made.

# The library is loaded with a plain LoadLibrary by debuggers that do not know where it came
# from, and a DLL beside it is not searched for its dependencies: the C++ runtime and the
# thread library go inside every module instead of libstdc++-6.dll, libgcc_s_seh-1.dll and
# libwinpthread-1.dll.
add_link_options(-static-libgcc -static-libstdc++ -Wl,-Bstatic,--whole-archive -lwinpthread
                 -Wl,--no-whole-archive,-Bdynamic)

# A DLL with no function marked __declspec(dllexport) (the virtual probe, the test libraries)
# exports every symbol, the static runtime's among them, and a program linked against two such
# DLLs finds _Unwind_Resume twice: the runtime's symbols are nobody's interface.
add_link_options($<$<STREQUAL:$<TARGET_PROPERTY:TYPE>,SHARED_LIBRARY>:-Wl,--exclude-libs,ALL>)

# Windows names its DLLs without CMake's "lib" prefix: jsckestrel.dll, nimbus_logger.dll.
set(CMAKE_SHARED_LIBRARY_PREFIX "")
set(CMAKE_IMPORT_LIBRARY_PREFIX "")

# Header-only dependencies come from the build machine's Debian packages (libusb-1.0-0-dev for
# libusb.h, libcli11-dev, nlohmann-json3-dev); each is staged alone, as /usr/include must not
# stand before MinGW's own C library headers.
set(KESTREL_HOST_HEADERS ${CMAKE_BINARY_DIR}/host-headers)
foreach(entry libusb-1.0 CLI nlohmann)
  if(NOT EXISTS /usr/include/${entry})
    message(FATAL_ERROR "/usr/include/${entry} is missing: install the Debian package")
  endif()
  file(MAKE_DIRECTORY ${KESTREL_HOST_HEADERS})
  file(CREATE_LINK /usr/include/${entry} ${KESTREL_HOST_HEADERS}/${entry} SYMBOLIC)
endforeach()
set(LIBUSB_INCLUDE_DIR ${KESTREL_HOST_HEADERS}/libusb-1.0 CACHE PATH "libusb.h" FORCE)
set(KESTREL_TOOL_LIBUSB_INCLUDE_DIR ${KESTREL_HOST_HEADERS}/libusb-1.0 CACHE PATH "libusb.h" FORCE)
add_library(CLI11::CLI11 INTERFACE IMPORTED)
set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${KESTREL_HOST_HEADERS})
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
  INTERFACE_INCLUDE_DIRECTORIES ${KESTREL_HOST_HEADERS})

# Google Benchmark has no MinGW build in Debian.
set(KESTREL_BENCH OFF CACHE BOOL "Build the benchmarks" FORCE)

# Test programs are listed when CTest runs (under Wine, with the DLL directories on its path),
# not after each link.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)

# Debian ships GoogleTest's sources (package googletest): built here with the cross compiler.
if(KESTREL_TESTS)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
endif()
