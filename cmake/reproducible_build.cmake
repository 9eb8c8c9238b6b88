# Builds that reproduce bit for bit, wherever the tree lies and whenever it is
# built: what the compiler records of source and build paths (debug
# information, __FILE__) is made relative, and the MinGW-w64 linker leaves
# the link time out of the PE header. Packages take their times from
# SOURCE_DATE_EPOCH (scripts/release.sh).
option(ORVEX_REPRODUCIBLE_BUILD "Record no absolute path or build time in what is built" ON)
if(NOT ORVEX_REPRODUCIBLE_BUILD)
  return()
endif()

if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  # A build directory inside the source tree is covered by the source's map.
  set(orvex_prefix_maps "${PROJECT_SOURCE_DIR}=.")
  cmake_path(IS_PREFIX PROJECT_SOURCE_DIR "${PROJECT_BINARY_DIR}" NORMALIZE orvex_build_inside)
  if(NOT orvex_build_inside)
    list(APPEND orvex_prefix_maps "${PROJECT_BINARY_DIR}=build")
  endif()
  foreach(map IN LISTS orvex_prefix_maps)
    # Not -ffile-prefix-map: GCC 12 would map the coverage notes' paths too,
    # which gcovr needs as they are.
    add_compile_options("-fdebug-prefix-map=${map}" "-fmacro-prefix-map=${map}")
  endforeach()
endif()

if(MINGW)
  add_link_options(LINKER:--no-insert-timestamp)
endif()
