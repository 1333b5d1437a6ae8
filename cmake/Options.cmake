# Build options of the suite. Every option is prefixed VELMAR_.
option(VELMAR_BUILD_TESTS "Build the test programs" ON)
option(VELMAR_BUILD_BENCH "Build the benchmarks under bench/" ON)
set(VELMAR_SANITIZER "" CACHE STRING "Build with sanitizers: address, thread, undefined, address,undefined or empty")
option(VELMAR_WERROR "Treat compiler warnings in product code as errors (tests and benchmarks only warn)" ON)
option(VELMAR_FUZZ "Build the libFuzzer targets under tests/fuzz (needs clang)" OFF)

set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
set(CMAKE_AUTOMOC ON)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "" FORCE)
endif()

find_program(VELMAR_CCACHE ccache)
if(VELMAR_CCACHE)
  set(CMAKE_C_COMPILER_LAUNCHER ${VELMAR_CCACHE})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${VELMAR_CCACHE})
endif()

if(VELMAR_SANITIZER)
  add_compile_options(-fsanitize=${VELMAR_SANITIZER} -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${VELMAR_SANITIZER})
  if(VELMAR_SANITIZER MATCHES "undefined")
    # Undefined behaviour ends the program that meets it, so its test fails
    # instead of printing a line nobody reads. GCC leaves float-to-integer
    # overflow out of "undefined"; clang has it in.
    add_compile_options(-fno-sanitize-recover=undefined)
    add_link_options(-fno-sanitize-recover=undefined)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
      add_compile_options(-fsanitize=float-cast-overflow)
      add_link_options(-fsanitize=float-cast-overflow)
    endif()
  endif()
endif()

if(VELMAR_FUZZ AND NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(STATUS "VELMAR_FUZZ needs clang (CXX=clang++); no fuzz targets in this build")
  set(VELMAR_FUZZ OFF CACHE BOOL "" FORCE)
endif()
if(VELMAR_FUZZ)
  # Coverage feedback from every library a fuzz target reads its input with.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

add_compile_options(-Wall -Wextra -Wno-unused-parameter)
if(VELMAR_WERROR)
  add_compile_options(-Werror)
endif()

# All programs land side by side in one folder, as they are installed.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets DBus Network SerialPort Test PrintSupport)
find_package(PkgConfig REQUIRED)
