# A full disk for the Windows tests, which cannot make one themselves: a
# 64 KiB tmpfs mounted at DIRECTORY (ACTION=mount) before the tests run and
# unmounted (ACTION=unmount) after them, whether they passed or not. Mounting
# needs root; where it fails, DIRECTORY/NOT-MOUNTED says why and the test
# that needs the disk is skipped with that reason.
#   cmake -D ACTION=mount|unmount -D DIRECTORY=... -P full_disk.cmake
cmake_minimum_required(VERSION 3.25)

# Also left by a run stopped before its unmount.
function(unmount_all)
  foreach(attempt RANGE 8)
    execute_process(COMMAND mountpoint -q "${DIRECTORY}" RESULT_VARIABLE not_mounted)
    if(NOT not_mounted EQUAL 0)
      return()
    endif()
    execute_process(COMMAND umount "${DIRECTORY}" RESULT_VARIABLE status ERROR_VARIABLE error)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "umount ${DIRECTORY} failed: ${error}")
    endif()
  endforeach()
endfunction()

unmount_all()
file(REMOVE_RECURSE "${DIRECTORY}")
if(ACTION STREQUAL "unmount")
  message(STATUS "${DIRECTORY}: unmounted and removed")
  return()
endif()
file(MAKE_DIRECTORY "${DIRECTORY}")
execute_process(COMMAND mount -t tmpfs -o size=64k,mode=0755 orvex-full-disk "${DIRECTORY}"
                RESULT_VARIABLE status OUTPUT_VARIABLE error ERROR_VARIABLE error)
if(NOT status EQUAL 0)
  string(STRIP "mount -t tmpfs failed (it needs root): ${error}" reason)
  file(WRITE "${DIRECTORY}/NOT-MOUNTED" "${reason}")
  message(STATUS "${reason}")
  return()
endif()
message(STATUS "${DIRECTORY}: a 64 KiB tmpfs")
