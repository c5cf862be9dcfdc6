cmake_minimum_required(VERSION 3.21)
# Fails when the program's own objects reference a symbol outside the allowed set.
# Usage: cmake -D NM=<nm> -D OBJECTS=<a;b> -P own_code_references.cmake
set(allowed
  __imp__GetCurrentDirectoryA@8
  __imp__GetWindowsDirectoryA@8
  __imp__GetSystemDirectoryA@8
  __imp__SetCurrentDirectoryA@4
  __imp__DeleteFileA@4
  # The run's own code, between its two objects and the entry.
  __Z10RunCleanupv
  _RemovalPlan
  # Copying and measuring the paths.
  _memcpy
  _strlen)

execute_process(COMMAND ${NM} --undefined-only --format=just-symbols ${OBJECTS}
  OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${OBJECTS}")
endif()
string(REGEX MATCHALL "[^\n]+" symbols "${listing}")
list(FILTER symbols EXCLUDE REGEX ":$")  # the archive's and objects' own names
set(unexpected "")
foreach(symbol IN LISTS symbols)
  if(NOT symbol IN_LIST allowed)
    list(APPEND unexpected ${symbol})
  endif()
endforeach()
if(unexpected)
  message(FATAL_ERROR "the program's own code references: ${unexpected}")
endif()
list(LENGTH symbols count)
message(STATUS "${count} references, all allowed")
