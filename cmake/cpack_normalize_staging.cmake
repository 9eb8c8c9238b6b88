# Run by cpack once the files to pack are staged (CPACK_PRE_BUILD_SCRIPTS):
# gives every staged file and directory the modes and time that a package
# should record whatever the umask and the time of the build: u=rw, go=r, and
# x for all where the owner has it (directories 755, programs 755, other
# files 644), modified at SOURCE_DATE_EPOCH.
set(staging "${CPACK_TEMPORARY_DIRECTORY}")
if(NOT IS_DIRECTORY "${staging}")
  message(FATAL_ERROR "no staging directory ${staging}")
endif()
find_program(ORVEX_CHMOD chmod)
find_program(ORVEX_FIND find)
find_program(ORVEX_TOUCH touch)
if(NOT ORVEX_CHMOD OR NOT ORVEX_FIND OR NOT ORVEX_TOUCH)
  message(WARNING "chmod, find or touch missing: the package keeps the staged modes and times")
  return()
endif()
execute_process(COMMAND "${ORVEX_CHMOD}" -R u+rw,go-w,go+r,a+X "${staging}"
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND "${ORVEX_FIND}" "${staging}" -exec "${ORVEX_TOUCH}" -h -d "@$ENV{SOURCE_DATE_EPOCH}" {} +
                COMMAND_ERROR_IS_FATAL ANY)
