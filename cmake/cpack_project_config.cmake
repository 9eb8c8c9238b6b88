# Read by cpack for each generator before it installs anything
# (CPACK_PROJECT_CONFIG_FILE).

# Every time in the packages is SOURCE_DATE_EPOCH: the environment's when set,
# else the date of the commit being packaged, else (a source tree without
# git) the date of the changelog's latest entry, else the time of its
# CMakeLists.txt. CPack's DEB generator and its gzip
# compression read it from the environment.
if("$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
  set(orvex_epoch "")
  find_program(ORVEX_GIT git)
  if(ORVEX_GIT AND EXISTS "${CPACK_ORVEX_SOURCE_DIR}/.git")
    # Read only; a tree that another user owns is read as well.
    execute_process(COMMAND "${ORVEX_GIT}" -c "safe.directory=${CPACK_ORVEX_SOURCE_DIR}"
                            -C "${CPACK_ORVEX_SOURCE_DIR}" log -1 --format=%ct
                    OUTPUT_VARIABLE orvex_epoch ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
    set(orvex_epoch_source "the commit's date")
  endif()
  if(NOT orvex_epoch MATCHES "^[0-9]+$")
    # Without git, the date of the changelog's latest entry: it is part of the
    # tree, so two copies of it agree, where file times need not.
    file(STRINGS "${CPACK_ORVEX_SOURCE_DIR}/cmake/debian/changelog" orvex_trailer
         REGEX "^ -- .*>  " LIMIT_COUNT 1)
    string(REGEX REPLACE "^ -- .*>  " "" orvex_trailer_date "${orvex_trailer}")
    find_program(ORVEX_DATE date)
    if(ORVEX_DATE AND orvex_trailer_date)
      execute_process(COMMAND "${ORVEX_DATE}" -u -d "${orvex_trailer_date}" +%s
                      OUTPUT_VARIABLE orvex_epoch ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
      set(orvex_epoch_source "the date of the changelog's latest entry")
    endif()
  endif()
  if(NOT orvex_epoch MATCHES "^[0-9]+$")
    file(TIMESTAMP "${CPACK_ORVEX_SOURCE_DIR}/CMakeLists.txt" orvex_epoch "%s" UTC)
    set(orvex_epoch_source "the time of CMakeLists.txt")
  endif()
  set(ENV{SOURCE_DATE_EPOCH} "${orvex_epoch}")
  message(STATUS "SOURCE_DATE_EPOCH=${orvex_epoch}, ${orvex_epoch_source}")
endif()

# The Debian package holds the program and its own files (the compressed
# manual page among them); the other packages hold a plain install.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_INSTALL_CMAKE_PROJECTS
      "${CPACK_ORVEX_BINARY_DIR};orvex;program;/"
      "${CPACK_ORVEX_BINARY_DIR};orvex;debian;/")
endif()

# A .zip records local times: make them those of UTC, wherever it is built.
if(CPACK_GENERATOR STREQUAL "ZIP")
  set(ENV{TZ} "UTC0")
endif()
