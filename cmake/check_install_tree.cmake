# Installs the build in BUILD_DIR under PREFIX and checks that the tree holds
# bin/EXECUTABLE and the manual page.
#   cmake -D BUILD_DIR=... -D PREFIX=... -D EXECUTABLE=orvex -P check_install_tree.cmake
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed:\n${output}")
endif()
foreach(expected IN ITEMS "bin/${EXECUTABLE}" "share/man/man1/orvex.1")
  if(NOT EXISTS "${PREFIX}/${expected}" OR IS_DIRECTORY "${PREFIX}/${expected}")
    message(FATAL_ERROR "the install tree lacks ${expected}:\n${output}")
  endif()
endforeach()
file(READ "${PREFIX}/share/man/man1/orvex.1" page)
if(NOT page MATCHES "(^|\n)\\.TH ORVEX 1 ")
  message(FATAL_ERROR "share/man/man1/orvex.1 is not the orvex manual page")
endif()
message(STATUS "install tree holds bin/${EXECUTABLE} and share/man/man1/orvex.1")
