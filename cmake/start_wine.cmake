# Keeps Wine's server running while the tests run: each cold start of it takes
# seconds, and it would otherwise stop a few seconds after every test. It
# stops by itself ten seconds after its last program ends.
#   cmake -D WINE=.../wine64 -D WINESERVER=.../wineserver -P start_wine.cmake
cmake_minimum_required(VERSION 3.25)
set(ENV{WINEDEBUG} -all)
if(DEFINED ENV{WINEPREFIX})
  set(prefix "$ENV{WINEPREFIX}")
else()
  set(prefix "$ENV{HOME}/.wine")
endif()
if(NOT EXISTS "${prefix}/system.reg")
  message(STATUS "creating the Wine prefix ${prefix}")
  execute_process(COMMAND "${WINE}" wineboot --init OUTPUT_QUIET ERROR_QUIET)
  execute_process(COMMAND "${WINESERVER}" --wait)
endif()
# Fails harmlessly when a server is already running. A server that no
# program has used yet waits for one, so a first program is run at once.
execute_process(COMMAND "${WINESERVER}" --persistent=10 INPUT_FILE /dev/null
                OUTPUT_FILE /dev/null ERROR_FILE /dev/null)
execute_process(COMMAND "${WINE}" cmd.exe /c exit INPUT_FILE /dev/null OUTPUT_FILE /dev/null
                ERROR_FILE /dev/null)
