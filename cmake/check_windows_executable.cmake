# Checks that EXECUTABLE is a PE file of FORMAT (pei-i386 or pei-x86-64), a
# console program that takes addresses above 2 GiB, is laid out at a random
# base (with high-entropy addresses when 64-bit) and runs with data pages not
# executable, and imports only DLLs that every Windows has.
#   cmake -D OBJDUMP=... -D EXECUTABLE=... -D FORMAT=pei-i386 -P check_windows_executable.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND "${OBJDUMP}" -p "${EXECUTABLE}" RESULT_VARIABLE status
                OUTPUT_VARIABLE headers ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p failed: ${errors}")
endif()
if(NOT headers MATCHES "file format ${FORMAT}\n")
  message(FATAL_ERROR "${EXECUTABLE} is not of format ${FORMAT}")
endif()
if(NOT headers MATCHES "\nSubsystem[ \t]+00000003[ \t]+\\(Windows CUI\\)")
  message(FATAL_ERROR "${EXECUTABLE} is not a console program")
endif()

# The header's flags, by their bits in IMAGE_FILE_HEADER.Characteristics and
# IMAGE_OPTIONAL_HEADER.DllCharacteristics.
if(NOT headers MATCHES "\nCharacteristics (0x[0-9a-fA-F]+)\n")
  message(FATAL_ERROR "objdump shows no Characteristics for ${EXECUTABLE}")
endif()
set(characteristics ${CMAKE_MATCH_1})
if(NOT headers MATCHES "\nDllCharacteristics[ \t]+([0-9a-fA-F]+)\n")
  message(FATAL_ERROR "objdump shows no DllCharacteristics for ${EXECUTABLE}")
endif()
set(dll_characteristics 0x${CMAKE_MATCH_1})
set(flags "characteristics 0x0020 large address aware (--large-address-aware)"
          "dll_characteristics 0x0040 DYNAMIC_BASE (--dynamicbase)"
          "dll_characteristics 0x0100 NX_COMPAT (--nxcompat)")
if(FORMAT STREQUAL "pei-x86-64")
  list(APPEND flags "dll_characteristics 0x0020 HIGH_ENTROPY_VA (--high-entropy-va)")
endif()
foreach(flag IN LISTS flags)
  string(REGEX MATCH "^([a-z_]+) (0x[0-9]+) (.*)$" flag "${flag}")
  math(EXPR present "${${CMAKE_MATCH_1}} & ${CMAKE_MATCH_2}")
  if(present EQUAL 0)
    message(FATAL_ERROR "${EXECUTABLE} lacks the flag ${CMAKE_MATCH_3}")
  endif()
  message(STATUS "flag ${CMAKE_MATCH_3}")
endforeach()

set(system_dlls kernel32.dll msvcrt.dll ucrtbase.dll ntdll.dll advapi32.dll user32.dll)
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${headers}")
if(NOT imports)
  message(FATAL_ERROR "${EXECUTABLE} imports no DLL at all; objdump output not understood")
endif()
foreach(import IN LISTS imports)
  string(REGEX REPLACE "^DLL Name: " "" dll "${import}")
  string(STRIP "${dll}" dll)
  string(TOLOWER "${dll}" dll)
  if(NOT dll IN_LIST system_dlls AND NOT dll MATCHES "^api-ms-win-")
    message(FATAL_ERROR "${EXECUTABLE} imports ${dll}, which a bare Windows lacks")
  endif()
  message(STATUS "imports ${dll}")
endforeach()
message(STATUS "${EXECUTABLE}: ${FORMAT}, console, its flags, system DLLs only")
