# Compresses INPUT into OUTPUT as Debian wants it: gzip -9, and no file name
# or time in the header, so that the bytes depend on INPUT alone.
#   cmake -D GZIP=gzip -D INPUT=... -D OUTPUT=... -P gzip_file.cmake
cmake_minimum_required(VERSION 3.25)
get_filename_component(directory "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${directory}")
execute_process(COMMAND "${GZIP}" -9 -n -c "${INPUT}" OUTPUT_FILE "${OUTPUT}.part"
                COMMAND_ERROR_IS_FATAL ANY)
file(RENAME "${OUTPUT}.part" "${OUTPUT}")
