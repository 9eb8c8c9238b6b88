# Run by cpack after each generator has made its package, before the package
# is copied beside the build (CPACK_POST_BUILD_SCRIPTS).
#
# 1. The .tar.gz is made again, from the same staged files, by GNU tar: the
#    archives of CPack 3.25 record the owner of the staged files (the user who
#    builds) and list them in the order the file system gives. GNU tar sorts
#    the names and records root (0:0), the staged modes and
#    SOURCE_DATE_EPOCH; gzip -n stores no name or time.
# 2. In the .deb, the ar header of each member gets mode 100644, as dpkg-deb
#    writes it: CPack 3.25 records the mode its member files were created
#    with, which the umask of the build decides. Only those bytes change.
# 3. SHA256SUMS beside the packages lists each package of this build
#    (CPACK_ORVEX_PACKAGES) that exists, as `sha256sum -c SHA256SUMS` reads it;
#    the last generator's run leaves it complete.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  if(package MATCHES "\\.tar\\.gz$")
    find_program(ORVEX_TAR NAMES gtar tar)
    find_program(ORVEX_GZIP gzip)
    execute_process(COMMAND "${ORVEX_TAR}" --version OUTPUT_VARIABLE tar_version ERROR_QUIET)
    if(NOT tar_version MATCHES "GNU tar" OR NOT ORVEX_GZIP)
      message(WARNING "no GNU tar or gzip: ${package} records the builder as owner")
      continue()
    endif()
    get_filename_component(top "${CPACK_TEMPORARY_DIRECTORY}" NAME)
    get_filename_component(parent "${CPACK_TEMPORARY_DIRECTORY}" DIRECTORY)
    execute_process(
      COMMAND "${ORVEX_TAR}" --create --format=gnu --sort=name --owner=0 --group=0
              --numeric-owner --mode=u+rw,go-w,go+r,a+X "--mtime=@$ENV{SOURCE_DATE_EPOCH}"
              --directory "${parent}" "${top}"
      COMMAND "${ORVEX_GZIP}" -9 -n
      OUTPUT_FILE "${package}.part"
      COMMAND_ERROR_IS_FATAL ANY)
    file(RENAME "${package}.part" "${package}")
  elseif(package MATCHES "\\.deb$")
    find_program(ORVEX_DD dd)
    if(NOT ORVEX_DD)
      message(WARNING "no dd: ${package} keeps the modes the umask gave its members")
      continue()
    endif()
    file(READ "${package}" magic LIMIT 8)
    if(NOT magic STREQUAL "!<arch>\n")
      message(FATAL_ERROR "${package} is not an ar archive")
    endif()
    file(SIZE "${package}" package_size)
    set(mode_file "${CPACK_TOPLEVEL_DIRECTORY}/ar-member-mode")
    file(WRITE "${mode_file}" "100644  ")
    set(offset 8)
    while(offset LESS package_size)
      file(READ "${package}" header OFFSET ${offset} LIMIT 60)
      string(SUBSTRING "${header}" 40 8 mode)
      string(SUBSTRING "${header}" 48 10 size)
      string(STRIP "${size}" size)
      if(NOT mode MATCHES "^100[0-7][0-7][0-7]  $" OR NOT size MATCHES "^[0-9]+$")
        message(FATAL_ERROR "${package}: no ar member header at byte ${offset}")
      endif()
      math(EXPR mode_offset "${offset} + 40")
      execute_process(COMMAND "${ORVEX_DD}" "if=${mode_file}" "of=${package}" bs=1
                              "seek=${mode_offset}" conv=notrunc status=none
                      COMMAND_ERROR_IS_FATAL ANY)
      math(EXPR offset "${offset} + 60 + ${size} + ${size} % 2")
    endwhile()
  endif()
endforeach()

set(sums "")
foreach(name IN LISTS CPACK_ORVEX_PACKAGES)
  # This generator's package is still in the staging area.
  set(path "")
  foreach(package IN LISTS CPACK_PACKAGE_FILES)
    get_filename_component(package_name "${package}" NAME)
    if(package_name STREQUAL name)
      set(path "${package}")
    endif()
  endforeach()
  if(NOT path AND EXISTS "${CPACK_PACKAGE_DIRECTORY}/${name}")
    set(path "${CPACK_PACKAGE_DIRECTORY}/${name}")
  endif()
  if(path)
    file(SHA256 "${path}" hash)
    string(APPEND sums "${hash}  ${name}\n")
  endif()
endforeach()
file(WRITE "${CPACK_PACKAGE_DIRECTORY}/SHA256SUMS" "${sums}")
