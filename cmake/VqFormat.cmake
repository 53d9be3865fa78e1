# `format` rewrites the sources with the project's .clang-format; `format-check` fails on any difference.
find_program(CLANG_FORMAT_EXE NAMES clang-format clang-format-14)
if(CLANG_FORMAT_EXE)
  file(GLOB_RECURSE vq_format_files CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/src/*.cpp ${CMAKE_SOURCE_DIR}/src/*.h
       ${CMAKE_SOURCE_DIR}/tests/*.cpp ${CMAKE_SOURCE_DIR}/tests/*.h
       ${CMAKE_SOURCE_DIR}/bench/*.cpp ${CMAKE_SOURCE_DIR}/bench/*.h)
  add_custom_target(format COMMAND ${CLANG_FORMAT_EXE} -i ${vq_format_files}
                    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR} VERBATIM)
  add_custom_target(format-check COMMAND ${CLANG_FORMAT_EXE} --dry-run -Werror ${vq_format_files}
                    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR} VERBATIM)
endif()
