# Build options of the suite. Every option is prefixed VELMAR_.
option(VELMAR_BUILD_TESTS "Build the test programs" ON)
option(VELMAR_BUILD_BENCH "Build the benchmarks under bench/" ON)
set(VELMAR_SANITIZER "" CACHE STRING "Build with a sanitizer: address, thread, undefined or empty")

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
endif()

add_compile_options(-Wall -Wextra -Wno-unused-parameter)

# All programs land side by side in one folder, as they are installed.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets DBus Network SerialPort Test PrintSupport)
find_package(PkgConfig REQUIRED)
