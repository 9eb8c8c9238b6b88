# Install rules and packages.
#
# `cmake --install` puts bin/orvex (orvex.exe on Windows) and the manual page.
# `cpack` makes, on Linux, orvex-<version>-linux-<processor>.tar.gz and the
# Debian package orvex_<version>_<architecture>.deb; on Windows a .zip. Every
# run of cpack writes SHA256SUMS beside the packages, and every package is
# reproducible bit for bit: cmake/cpack_project_config.cmake takes
# SOURCE_DATE_EPOCH from the commit, cmake/cpack_normalize_staging.cmake gives
# the staged files fixed modes and times, cmake/cpack_finish_package.cmake
# remakes the .tar.gz with fixed owners, fixes the modes CPack's .deb takes
# from the umask and writes the checksums.
include(GNUInstallDirs)

# Components: `program` and `manual` make a plain install; `debian` holds what
# only the Debian package has (the compressed manual page, the copyright,
# changelog and lintian override), installed by cpack's DEB generator alone.
install(TARGETS orvex RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT program)
install(FILES docs/orvex.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT manual)

set(ORVEX_PACKAGE_MAINTAINER "orvex maintainers <maintainers@orvex.example>"
    CACHE STRING "Maintainer of the packages: name <e-mail>")

set(orvex_packages)
if(WIN32)
  set(CPACK_GENERATOR ZIP)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(orvex_package_system win32)
  else()
    set(orvex_package_system win64)
  endif()
  set(CPACK_PACKAGE_FILE_NAME "orvex-${PROJECT_VERSION}-${orvex_package_system}")
  list(APPEND orvex_packages "${CPACK_PACKAGE_FILE_NAME}.zip")
else()
  set(CPACK_GENERATOR TGZ)
  string(TOLOWER "${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR}" orvex_package_system)
  set(CPACK_PACKAGE_FILE_NAME "orvex-${PROJECT_VERSION}-${orvex_package_system}")
  list(APPEND orvex_packages "${CPACK_PACKAGE_FILE_NAME}.tar.gz")
endif()

# The Debian package, wherever dpkg says which architecture it is for.
find_program(ORVEX_DPKG dpkg)
if(CMAKE_SYSTEM_NAME STREQUAL "Linux" AND NOT CMAKE_CROSSCOMPILING AND ORVEX_DPKG)
  execute_process(COMMAND ${ORVEX_DPKG} --print-architecture
                  OUTPUT_VARIABLE orvex_deb_architecture OUTPUT_STRIP_TRAILING_WHITESPACE
                  COMMAND_ERROR_IS_FATAL ANY)
  find_program(ORVEX_GZIP gzip REQUIRED)

  # The changelog's latest entry names the version being packaged.
  file(STRINGS cmake/debian/changelog orvex_changelog_top LIMIT_COUNT 1)
  if(NOT orvex_changelog_top MATCHES "^orvex \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "cmake/debian/changelog begins with \"${orvex_changelog_top}\": "
                        "give version ${PROJECT_VERSION} an entry first")
  endif()

  # Debian wants the manual page and the changelog compressed with gzip -9,
  # with no name or time in the header (-n).
  set(orvex_debian_dir ${PROJECT_BINARY_DIR}/packaging)
  set(orvex_compressed)
  foreach(pair IN ITEMS "docs/orvex.1|orvex.1.gz" "cmake/debian/changelog|changelog.gz")
    string(REPLACE "|" ";" pair "${pair}")
    list(GET pair 0 source)
    list(GET pair 1 compressed)
    add_custom_command(OUTPUT ${orvex_debian_dir}/${compressed}
      COMMAND ${CMAKE_COMMAND} -D GZIP=${ORVEX_GZIP} -D INPUT=${PROJECT_SOURCE_DIR}/${source}
              -D OUTPUT=${orvex_debian_dir}/${compressed} -P ${PROJECT_SOURCE_DIR}/cmake/gzip_file.cmake
      DEPENDS ${PROJECT_SOURCE_DIR}/${source} ${PROJECT_SOURCE_DIR}/cmake/gzip_file.cmake
      VERBATIM)
    list(APPEND orvex_compressed ${orvex_debian_dir}/${compressed})
  endforeach()
  add_custom_target(orvex_debian_files ALL DEPENDS ${orvex_compressed})

  install(FILES ${orvex_debian_dir}/orvex.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
          COMPONENT debian EXCLUDE_FROM_ALL)
  install(FILES cmake/debian/copyright ${orvex_debian_dir}/changelog.gz
          DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT debian EXCLUDE_FROM_ALL)

  list(APPEND CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME "orvex_${PROJECT_VERSION}_${orvex_deb_architecture}.deb")
  list(APPEND orvex_packages "${CPACK_DEBIAN_FILE_NAME}")
  set(CPACK_DEBIAN_PACKAGE_NAME orvex)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${orvex_deb_architecture})
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
      "orvex reads the directory of a DAT archive and writes every entry whose
name ends in .jpg, .mp3 or .wav, in any case, into the current directory,
printing one line per file. Entries of other types are passed over, names
that would lead outside the current directory are refused, and the archive
itself is only ever read.")
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
  if(ORVEX_STATIC_EXECUTABLE)
    # A static executable depends on nothing. Lintian flags every static
    # binary; the override says why this one is.
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "")
    install(FILES cmake/debian/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
            RENAME orvex COMPONENT debian EXCLUDE_FROM_ALL)
  else()
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  endif()
endif()

set(CPACK_PACKAGE_NAME orvex)
set(CPACK_PACKAGE_VENDOR "orvex")
set(CPACK_PACKAGE_CONTACT "${ORVEX_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_STRIP_FILES TRUE)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/cpack_project_config.cmake)
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/cpack_normalize_staging.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/cpack_finish_package.cmake)
# Read by those scripts.
set(CPACK_ORVEX_SOURCE_DIR ${PROJECT_SOURCE_DIR})
set(CPACK_ORVEX_BINARY_DIR ${PROJECT_BINARY_DIR})
set(CPACK_ORVEX_PACKAGES ${orvex_packages})
include(CPack)
