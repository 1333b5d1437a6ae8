# The layering of the source tree, checked at every configure and by a test.
#
if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  cmake_minimum_required(VERSION 3.25)
endif()

# Each row is one layer, bottom first. A folder includes headers of and links
# libraries of folders on lower rows only; folders on the same row stay apart
# (a row such as "nav sound video" holds independent subsystems). A new
# top-level folder with sources needs a row here before the tree configures.
set(VELMAR_LAYERS
  "platform"                              # bus, DDE, system time, record I/O, run mode, program clock, time texts
  "settings"                              # settings block, fonts, pipe and deck settings, profile files (no ODBC)
  "nmea"                                  # checksum, angles, sentence fields
  "store"                                 # ODBC layer, schema, inserters
  "nav sound video"                       # subsystems without windows
  "widgets"                               # shared widgets
  "forms map deck recorder comments gpsref camera" # windows of the subsystems (no shell)
  "shell"                                 # the main window, its services and the start-up wiring
  "nmeaserver pipeserver standalone"      # the programs of the suite
)
# Folders outside the layering: they may use any layer.
set(VELMAR_LAYER_FREE tests bench cmake scripts help data build)

# out: the row of `folder` (0 = bottom), -1 when it has none.
function(velmar_layer_of folder out)
  set(row 0)
  foreach(line IN LISTS VELMAR_LAYERS)
    string(REPLACE " " ";" names "${line}")
    list(REMOVE_ITEM names "")
    if(folder IN_LIST names)
      set(${out} ${row} PARENT_SCOPE)
      return()
    endif()
    math(EXPR row "${row} + 1")
  endforeach()
  set(${out} -1 PARENT_SCOPE)
endfunction()

# Appends to `errors_var` when `from` may not use `to`.
function(velmar_layer_allows from to what errors_var)
  if(from STREQUAL to)
    return()
  endif()
  velmar_layer_of(${from} from_row)
  velmar_layer_of(${to} to_row)
  if(from_row LESS 0 OR to_row LESS 0)
    return()
  endif()
  if(NOT to_row LESS from_row)
    set(errors ${${errors_var}})
    if(to_row EQUAL from_row)
      list(APPEND errors "${what}: ${from}/ and ${to}/ are on one layer and stay apart")
    else()
      list(APPEND errors "${what}: ${to}/ is above ${from}/")
    endif()
    set(${errors_var} "${errors}" PARENT_SCOPE)
  endif()
endfunction()

# Every top-level folder with a CMakeLists.txt has a row (or is free).
function(velmar_check_folders source_dir errors_var)
  set(errors ${${errors_var}})
  file(GLOB entries RELATIVE ${source_dir} ${source_dir}/*)
  foreach(entry IN LISTS entries)
    if(IS_DIRECTORY ${source_dir}/${entry} AND EXISTS ${source_dir}/${entry}/CMakeLists.txt
       AND NOT entry IN_LIST VELMAR_LAYER_FREE)
      velmar_layer_of(${entry} row)
      if(row LESS 0)
        list(APPEND errors "${entry}/ has no row in the layer table (cmake/Layering.cmake)")
      endif()
    endif()
  endforeach()
  set(${errors_var} "${errors}" PARENT_SCOPE)
endfunction()

# Every include of a layered folder's sources, however it is spelt: "nav/X.h",
# <nav/X.h> and "../nav/X.h" all name nav/. A quoted include is looked up
# beside the including file first, as the compiler does; what then does not
# lie in the tree (Qt, system headers) is not ours to check.
function(velmar_include_target source_dir file include out)
  set(${out} "" PARENT_SCOPE)
  get_filename_component(file_dir ${source_dir}/${file} DIRECTORY)
  string(SUBSTRING "${include}" 0 1 bracket)
  string(SUBSTRING "${include}" 1 -1 path)
  string(REGEX REPLACE "[\">].*$" "" path "${path}")
  set(candidates)
  if(bracket STREQUAL "\"")
    list(APPEND candidates ${file_dir}/${path})
  endif()
  list(APPEND candidates ${source_dir}/${path})
  foreach(candidate IN LISTS candidates)
    get_filename_component(resolved ${candidate} ABSOLUTE)
    file(RELATIVE_PATH rel ${source_dir} ${resolved})
    if(rel MATCHES "^\\.\\./" OR NOT rel MATCHES "/")
      continue()
    endif()
    string(REGEX REPLACE "/.*$" "" top "${rel}")
    velmar_layer_of("${top}" row)
    if(row LESS 0)
      continue()
    endif()
    # A path that names a folder of the tree counts even before its file exists.
    if(EXISTS ${resolved} OR candidate STREQUAL "${source_dir}/${path}")
      set(${out} "${top};${rel}" PARENT_SCOPE)
      return()
    endif()
  endforeach()
endfunction()

function(velmar_check_includes source_dir errors_var)
  set(errors ${${errors_var}})
  foreach(line IN LISTS VELMAR_LAYERS)
    string(REPLACE " " ";" names "${line}")
    list(REMOVE_ITEM names "")
    foreach(folder IN LISTS names)
      if(NOT IS_DIRECTORY ${source_dir}/${folder})
        continue()
      endif()
      file(GLOB_RECURSE files RELATIVE ${source_dir}
           ${source_dir}/${folder}/*.h ${source_dir}/${folder}/*.hpp ${source_dir}/${folder}/*.cpp)
      foreach(file IN LISTS files)
        file(STRINGS ${source_dir}/${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<][^\">]*/")
        foreach(include IN LISTS includes)
          string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*" "" spelt "${include}")
          string(REGEX REPLACE "^([\"<][^\">]*[\">]).*$" "\\1" spelt "${spelt}")
          velmar_include_target(${source_dir} ${file} "${spelt}" target)
          if(NOT target)
            continue()
          endif()
          list(GET target 0 to)
          velmar_layer_allows(${folder} ${to} "${file} includes ${spelt}" errors)
        endforeach()
      endforeach()
    endforeach()
  endforeach()
  set(${errors_var} "${errors}" PARENT_SCOPE)
endfunction()

# Each folder has its own namespace: the first "namespace velmar::..." of a
# source names velmar::<its top folder>, optionally followed by ::ui (its
# windows), ::detail or ::<its subfolder>. Files still off are listed in
# VELMAR_NAMESPACE_EXCEPTIONS (paths from the top of the tree) until they move.
set(VELMAR_NAMESPACE_EXCEPTIONS
  platform/LittleEndian.h
  settings/IniFile.cpp
  settings/IniFile.h
  settings/InputDeviceNames.cpp
  settings/InputDeviceNames.h
  settings/LogFont.cpp
  settings/LogFont.h
  settings/PathText.cpp
  settings/PathText.h
  settings/PipeSettings.cpp
  settings/PipeSettings.h
  settings/ProgramSettings.cpp
  settings/ProgramSettings.h
  nav/EventWriters.cpp
  nav/EventWriters.h
  sound/RecordingWriter.cpp
  sound/RecordingWriter.h
  widgets/DavisPortDlg.cpp
  widgets/DavisPortDlg.h
  widgets/DetectorForm.cpp
  widgets/DetectorForm.h
  widgets/DialogService.cpp
  widgets/DialogService.h
  widgets/FontConversion.cpp
  widgets/FontConversion.h
  widgets/FormRunner.cpp
  widgets/FormRunner.h
  widgets/MainLayout.cpp
  widgets/MainLayout.h
  widgets/MessageBoxSeam.cpp
  widgets/MessageBoxSeam.h
  widgets/MessageInfo.cpp
  widgets/MessageInfo.h
  widgets/MyControls.cpp
  widgets/MyControls.h
  widgets/NightDay.cpp
  widgets/NightDay.h
  widgets/PlotSymbols.cpp
  widgets/PlotSymbols.h
  widgets/ScriptedClicks.cpp
  widgets/ScriptedClicks.h
  widgets/SettingsSheet.cpp
  widgets/SettingsSheet.h
  widgets/StatisticsDialog.cpp
  widgets/StatisticsDialog.h
  widgets/TrafficLight.cpp
  widgets/TrafficLight.h
  shell/ButtonPanelsInstall.cpp
  shell/ButtonPanelsInstall.h
  shell/TUserFormHooks.cpp
  shell/TUserFormHooks.h
)

# out: the first namespace velmar::... of `path` that holds more than forward
# declarations ("class X;"), empty when there is none. Reads the lines that
# start at the margin, where namespace contents stand in this tree.
function(velmar_namespace_of path out)
  set(${out} "" PARENT_SCOPE)
  file(STRINGS ${path} lines REGEX "^[^ \t/#]")
  set(space "")
  foreach(line IN LISTS lines)
    if(line MATCHES "^namespace[ \t]+(velmar::[A-Za-z0-9_:]*[A-Za-z0-9_])[ \t]*{(.*)$")
      set(space ${CMAKE_MATCH_1})
      if(CMAKE_MATCH_2 MATCHES "}")
        set(space "")
      endif()
    elseif(NOT space)
      continue()
    elseif(line MATCHES "^}")
      set(space "")
    elseif(NOT line MATCHES "^(class|struct)[ \t]+[A-Za-z0-9_]+;")
      set(${out} ${space} PARENT_SCOPE)
      return()
    endif()
  endforeach()
endfunction()

function(velmar_check_namespaces source_dir errors_var)
  set(errors ${${errors_var}})
  foreach(line IN LISTS VELMAR_LAYERS)
    string(REPLACE " " ";" names "${line}")
    list(REMOVE_ITEM names "")
    foreach(folder IN LISTS names)
      if(NOT IS_DIRECTORY ${source_dir}/${folder})
        continue()
      endif()
      file(GLOB_RECURSE files RELATIVE ${source_dir}
           ${source_dir}/${folder}/*.h ${source_dir}/${folder}/*.hpp ${source_dir}/${folder}/*.cpp)
      foreach(file IN LISTS files)
        if(file IN_LIST VELMAR_NAMESPACE_EXCEPTIONS)
          continue()
        endif()
        velmar_namespace_of(${source_dir}/${file} space)
        if(NOT space)
          continue()
        endif()
        set(allowed "ui|detail")
        if(file MATCHES "^${folder}/([A-Za-z0-9_]+)/")
          string(APPEND allowed "|${CMAKE_MATCH_1}")
        endif()
        if(NOT space MATCHES "^velmar::${folder}(::(${allowed}))?$")
          list(APPEND errors "${file} is in namespace ${space}, not velmar::${folder}")
        endif()
      endforeach()
    endforeach()
  endforeach()
  set(${errors_var} "${errors}" PARENT_SCOPE)
endfunction()

# Lines "from-folder to-folder target library" from a list written at configure.
function(velmar_check_link_lines link_lines errors_var)
  set(errors ${${errors_var}})
  foreach(line IN LISTS link_lines)
    string(REPLACE " " ";" parts "${line}")
    list(GET parts 0 from)
    list(GET parts 1 to)
    list(GET parts 2 target)
    list(GET parts 3 library)
    velmar_layer_allows(${from} ${to} "${target} (${from}/) links ${library} (${to}/)" errors)
  endforeach()
  set(${errors_var} "${errors}" PARENT_SCOPE)
endfunction()

function(velmar_folder_of_dir dir out)
  file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${dir})
  string(REGEX REPLACE "/.*$" "" top "${rel}")
  set(${out} "${top}" PARENT_SCOPE)
endfunction()

function(velmar_collect_targets dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    velmar_collect_targets(${sub} more)
    list(APPEND targets ${more})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

# At configure: the link lines of every library and program of the tree,
# written to the build folder for the test, then all checks. Fails the
# configure on the first run that finds a violation.
function(velmar_check_layering)
  velmar_collect_targets(${CMAKE_SOURCE_DIR} targets)
  set(link_lines)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "UTILITY")
      continue()
    endif()
    get_target_property(dir ${target} SOURCE_DIR)
    velmar_folder_of_dir(${dir} from)
    velmar_layer_of("${from}" from_row)
    if(from_row LESS 0)
      continue()
    endif()
    get_target_property(links ${target} LINK_LIBRARIES)
    get_target_property(interface_links ${target} INTERFACE_LINK_LIBRARIES)
    foreach(library IN LISTS links interface_links)
      if(NOT library OR NOT TARGET ${library})
        continue()
      endif()
      get_target_property(real ${library} ALIASED_TARGET)
      if(NOT real)
        set(real ${library})
      endif()
      get_target_property(imported ${real} IMPORTED)
      if(imported)
        continue()
      endif()
      get_target_property(to_dir ${real} SOURCE_DIR)
      velmar_folder_of_dir(${to_dir} to)
      list(APPEND link_lines "${from} ${to} ${target} ${library}")
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES link_lines)
  string(REPLACE ";" "\n" text "${link_lines}")
  file(WRITE ${CMAKE_BINARY_DIR}/layering-links.txt "${text}\n")

  set(errors)
  velmar_check_folders(${CMAKE_SOURCE_DIR} errors)
  velmar_check_includes(${CMAKE_SOURCE_DIR} errors)
  velmar_check_namespaces(${CMAKE_SOURCE_DIR} errors)
  velmar_check_link_lines("${link_lines}" errors)
  velmar_report_layering("${errors}")
endfunction()

function(velmar_report_layering errors)
  if(errors)
    list(LENGTH errors count)
    string(REPLACE ";" "\n  " text "${errors}")
    message(FATAL_ERROR "Layering: ${count} use(s) against the layer table in cmake/Layering.cmake:\n  ${text}\n")
  endif()
endfunction()

# Script mode (the test): cmake -DVELMAR_SOURCE_DIR=<tree> [-DVELMAR_LINKS_FILE=<file>] -P Layering.cmake
if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  if(NOT VELMAR_SOURCE_DIR)
    message(FATAL_ERROR "Layering: give -DVELMAR_SOURCE_DIR=<source tree>")
  endif()
  set(errors)
  velmar_check_folders(${VELMAR_SOURCE_DIR} errors)
  velmar_check_includes(${VELMAR_SOURCE_DIR} errors)
  velmar_check_namespaces(${VELMAR_SOURCE_DIR} errors)
  if(VELMAR_LINKS_FILE)
    file(STRINGS ${VELMAR_LINKS_FILE} link_lines REGEX ".")
    velmar_check_link_lines("${link_lines}" errors)
  endif()
  velmar_report_layering("${errors}")
  message(STATUS "Layering: every include and link runs down the layer table, every source is in its folder's namespace")
endif()
