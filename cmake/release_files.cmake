# Install rules, and the files that scripts/release.sh packs beside the
# program. The version is the project's (CMakeLists.txt), written into:
#   <build>/orvex.1     the manual page
#   <build>/version     the version alone, for scripts
#   <build>/README.txt  and LICENSE.txt, for Windows, with CRLF line ends
include(GNUInstallDirs)

# The manual page bears the release's date: SOURCE_DATE_EPOCH's, else the
# commit's, so that every build of one commit writes the same page; the day
# of the build only outside a git checkout.
set(orvex_epoch "$ENV{SOURCE_DATE_EPOCH}")
if(orvex_epoch STREQUAL "")
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} log -1 --format=%ct
                    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR} RESULT_VARIABLE orvex_git_status
                    OUTPUT_VARIABLE orvex_epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(NOT orvex_git_status EQUAL 0)
      set(orvex_epoch "")
    endif()
  endif()
endif()
# string(TIMESTAMP) reads its time from SOURCE_DATE_EPOCH when that is set.
set(orvex_outer_epoch "$ENV{SOURCE_DATE_EPOCH}")
if(NOT orvex_epoch STREQUAL "")
  set(ENV{SOURCE_DATE_EPOCH} "${orvex_epoch}")
endif()
string(TIMESTAMP ORVEX_RELEASE_DATE "%Y-%m-%d" UTC)
set(ENV{SOURCE_DATE_EPOCH} "${orvex_outer_epoch}")

configure_file(docs/orvex.1.in orvex.1 @ONLY)
file(CONFIGURE OUTPUT version CONTENT "${PROJECT_VERSION}\n")
if(WIN32)
  configure_file(docs/windows-readme.txt.in README.txt @ONLY NEWLINE_STYLE CRLF)
  configure_file(LICENSE LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
endif()

get_target_property(orvex_imported orvex IMPORTED)
if(orvex_imported)  # built elsewhere (src/CMakeLists.txt)
  install(IMPORTED_RUNTIME_ARTIFACTS orvex DESTINATION ${CMAKE_INSTALL_BINDIR})
else()
  install(TARGETS orvex RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES ${PROJECT_BINARY_DIR}/orvex.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The Debian package's changelog names the version being built.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS cmake/debian/changelog)
file(STRINGS cmake/debian/changelog orvex_changelog_top LIMIT_COUNT 1)
string(REPLACE "." "\\." orvex_version_pattern "${PROJECT_VERSION}")
if(NOT orvex_changelog_top MATCHES "^orvex \\(${orvex_version_pattern}\\) ")
  message(FATAL_ERROR "cmake/debian/changelog begins with \"${orvex_changelog_top}\": "
                      "give version ${PROJECT_VERSION} an entry first")
endif()
