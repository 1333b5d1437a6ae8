# add_velmar_test(<name> SOURCES a.cpp b.cpp LIBS lib... [LABELS unit|integration|dbus|audio|video|slow]
#                 [TIMEOUT s] [GUI] [QT])
#
# slow: a test that drives real programs through many seconds of their own
# timers or thousands of bus calls; `ctest -LE slow` leaves them out of a quick run.
#
# GoogleTest by default, with a main that makes a QCoreApplication (GUI: a
# QApplication, for widget tests). QT: a Qt Test executable with its own main.
#
# Builds one test executable and registers it with CTest. Every test runs
# offscreen, with a fresh settings folder, and with a time-out; the programs a
# main program would start are not started (VELMAR_PROGRAM_START=off). Tests labelled
# dbus run inside a private session bus of their own; tests labelled audio (they
# start JACK servers) inside a /dev/shm of their own (scripts/with-private-shm.sh).
find_package(GTest REQUIRED)

# A python3 with scipy (Debian's python3-scipy), the independent reference of
# the deck's filter test and benchmark: the system's before one found on the
# path. Empty when there is none.
set(VELMAR_SCIPY_PYTHON "")
foreach(candidate /usr/bin/python3 python3)
  if(NOT VELMAR_SCIPY_PYTHON)
    execute_process(COMMAND ${candidate} -c "import scipy.signal"
                    RESULT_VARIABLE scipy_missing OUTPUT_QUIET ERROR_QUIET)
    if(scipy_missing EQUAL 0)
      set(VELMAR_SCIPY_PYTHON ${candidate})
    endif()
  endif()
endforeach()
if(NOT VELMAR_SCIPY_PYTHON)
  message(WARNING "no python3 with scipy: the deck filter's comparison with scipy will be skipped")
endif()
set(VELMAR_FILTER_REFERENCE ${CMAKE_CURRENT_LIST_DIR}/../tests/deck/filter_reference.py)

function(add_velmar_test name)
  cmake_parse_arguments(T "QT;GUI" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  if(T_QT)
    target_link_libraries(${name} PRIVATE ${T_LIBS} Qt6::Test)
  elseif(T_GUI)
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock velmar_testmain_gui)
  else()
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gmock velmar_testmain)
  endif()
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  set(cmd $<TARGET_FILE:${name}>)
  if("dbus" IN_LIST T_LABELS)
    set(cmd dbus-run-session -- ${cmd})
  endif()
  # Tests that start JACK servers register them in a /dev/shm of their own.
  if("audio" IN_LIST T_LABELS)
    set(cmd ${CMAKE_SOURCE_DIR}/scripts/with-private-shm.sh ${cmd})
  endif()
  add_test(NAME ${name}
           COMMAND ${CMAKE_SOURCE_DIR}/scripts/with-fresh-home.sh ${cmd}
           WORKING_DIRECTORY ${CMAKE_BINARY_DIR})
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    LABELS "${T_LABELS}"
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VELMAR_NMEA_CLOCK_SET=off;VELMAR_PROGRAM_START=off;VELMAR_BIN_DIR=${CMAKE_BINARY_DIR}/bin;VELMAR_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()
