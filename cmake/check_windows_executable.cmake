# Checks that EXECUTABLE is a PE file of FORMAT (pei-i386 or pei-x86-64), a
# console program that takes addresses above 2 GiB, is laid out at a random
# base (with high-entropy addresses when 64-bit) and runs with data pages not
# executable, and that it imports exactly the functions listed, each with the
# first Windows known to have it, in windows-imports-FORMAT.txt beside this
# script. A new import fails here until someone has looked up which Windows
# first had it and listed it (and, if that Windows is the newest there, named
# it in docs/windows-readme.txt.in).
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

# Every import as "dll function", the DLL's name in lower case.
set(imports)
set(dll "")
string(REPLACE "\n" ";" lines "${headers}")
foreach(line IN LISTS lines)
  if(line MATCHES "^\tDLL Name: (.+)$")
    string(TOLOWER "${CMAKE_MATCH_1}" dll)
  elseif(line STREQUAL "")
    set(dll "")
  elseif(dll AND line MATCHES "^\t[0-9a-f]+\t +[0-9]+ +([^ ]+)$")
    list(APPEND imports "${dll} ${CMAKE_MATCH_1}")
  endif()
endforeach()
if(NOT imports)
  message(FATAL_ERROR "${EXECUTABLE} imports nothing at all; objdump output not understood")
endif()

set(list_file "${CMAKE_CURRENT_LIST_DIR}/windows-imports-${FORMAT}.txt")
file(STRINGS "${list_file}" list_lines REGEX "^[^#]")
set(listed)
foreach(line IN LISTS list_lines)
  if(NOT line MATCHES "^([^ ]+ [^ ]+) +[^ ]+$")
    message(FATAL_ERROR "${list_file}: not \"DLL FUNCTION FIRST-WINDOWS\": ${line}")
  endif()
  list(APPEND listed "${CMAKE_MATCH_1}")
endforeach()
set(new ${imports})
list(REMOVE_ITEM new ${listed})
set(gone ${listed})
list(REMOVE_ITEM gone ${imports})
if(new OR gone)
  list(JOIN new "\n  " new)
  list(JOIN gone "\n  " gone)
  message(FATAL_ERROR "${EXECUTABLE} imports what ${list_file} does not list:\n  ${new}\n"
                      "and no longer imports what it lists:\n  ${gone}\n"
                      "List a new import only with the first Windows that had it.")
endif()
list(LENGTH imports count)
message(STATUS "${EXECUTABLE}: ${FORMAT}, console, ${count} imports, each listed in ${list_file}")
