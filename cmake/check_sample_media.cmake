# Unpacks the demo's sample archive with ORVEX and checks what it wrote: the
# demo's three lines, exactly the three media files, the picture and the MP3
# stream byte for byte as kept in MEDIA_DIR, and that real decoders read all
# three (djpeg, mpg123 and sox: Debian packages libjpeg-turbo-progs, mpg123
# and sox). Without a decoder it says SKIPPED and checks no further.
#   cmake -D ORVEX=... -D MAKE_SAMPLE=... -D MEDIA_DIR=tests/sample -D WORK_DIR=...
#         -P check_sample_media.cmake
cmake_minimum_required(VERSION 3.25)
if(ORVEX MATCHES "/")
  file(REAL_PATH "${ORVEX}" ORVEX)  # it runs inside WORK_DIR/out
endif()
file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}/out")
execute_process(COMMAND "${MAKE_SAMPLE}" "${WORK_DIR}/sample.dat" "${MEDIA_DIR}"
                COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND "${ORVEX}" "${WORK_DIR}/sample.dat" WORKING_DIRECTORY "${WORK_DIR}/out"
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
set(expected "TONE.wav done.\nCover.jpg done.\nTHEME.mp3 done.\n")
if(NOT status EQUAL 0 OR NOT output STREQUAL expected OR NOT errors STREQUAL "")
  message(FATAL_ERROR "${ORVEX} sample.dat: status ${status}, output:\n${output}${errors}")
endif()
file(GLOB written RELATIVE "${WORK_DIR}/out" "${WORK_DIR}/out/*")
list(SORT written)
if(NOT written STREQUAL "Cover.jpg;THEME.mp3;TONE.wav")
  message(FATAL_ERROR "${ORVEX} wrote ${written}, not Cover.jpg, THEME.mp3 and TONE.wav")
endif()
foreach(pair IN ITEMS "Cover.jpg|cover.jpg" "THEME.mp3|theme.mp3")
  string(REPLACE "|" ";" pair "${pair}")
  list(GET pair 0 extracted)
  list(GET pair 1 kept)
  file(SHA256 "${WORK_DIR}/out/${extracted}" extracted_hash)
  file(SHA256 "${MEDIA_DIR}/${kept}" kept_hash)
  if(NOT extracted_hash STREQUAL kept_hash)
    message(FATAL_ERROR "${extracted} is not ${MEDIA_DIR}/${kept}")
  endif()
endforeach()
message(STATUS "${ORVEX}: the demo's three lines and files")

find_program(DJPEG djpeg)
find_program(MPG123 mpg123)
find_program(SOX sox)
if(NOT DJPEG OR NOT MPG123 OR NOT SOX)
  message(STATUS "SKIPPED: the decoders djpeg, mpg123 and sox are not all installed "
                 "(apt-get install libjpeg-turbo-progs mpg123 sox)")
  return()
endif()

# The picture decodes to 96x64 pixels of RGB.
execute_process(COMMAND "${DJPEG}" -outfile "${WORK_DIR}/cover.ppm" "${WORK_DIR}/out/Cover.jpg"
                RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0 OR NOT errors STREQUAL "")
  message(FATAL_ERROR "djpeg Cover.jpg: status ${status}: ${errors}")
endif()
file(READ "${WORK_DIR}/cover.ppm" ppm_header LIMIT 13)
if(NOT ppm_header STREQUAL "P6\n96 64\n255\n")
  message(FATAL_ERROR "djpeg Cover.jpg gave no 96x64 RGB picture: ${ppm_header}")
endif()

# The MP3 stream decodes to 0.8 s of 16-bit samples at 22050 Hz (mpg123 says
# nothing and succeeds on bytes that are no MP3 at all: the samples count).
execute_process(COMMAND "${MPG123}" -q -s "${WORK_DIR}/out/THEME.mp3"
                OUTPUT_FILE "${WORK_DIR}/theme.pcm" RESULT_VARIABLE status ERROR_VARIABLE errors)
file(SIZE "${WORK_DIR}/theme.pcm" pcm_bytes)
if(NOT status EQUAL 0 OR NOT errors STREQUAL "" OR pcm_bytes LESS 30000)
  message(FATAL_ERROR "mpg123 THEME.mp3: status ${status}, ${pcm_bytes} bytes of samples: ${errors}")
endif()

# The WAV decodes to its 2000 samples.
execute_process(COMMAND "${SOX}" "${WORK_DIR}/out/TONE.wav" -n stat
                RESULT_VARIABLE status ERROR_VARIABLE stat OUTPUT_VARIABLE stat)
if(NOT status EQUAL 0 OR NOT stat MATCHES "Samples read: +2000\n")
  message(FATAL_ERROR "sox TONE.wav: status ${status}:\n${stat}")
endif()
message(STATUS "djpeg, mpg123 and sox decode Cover.jpg (96x64), THEME.mp3 "
               "(${pcm_bytes} bytes of samples) and TONE.wav (2000 samples)")
