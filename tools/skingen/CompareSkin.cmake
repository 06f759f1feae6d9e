# Regenerates the skin into OUT and compares it with EXPECTED, file list and bytes.
file(REMOVE_RECURSE ${OUT})
execute_process(COMMAND ${SKINGEN} ${OUT} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "skingen failed with ${rc}")
endif()

file(GLOB generated RELATIVE ${OUT} ${OUT}/*)
file(GLOB committed RELATIVE ${EXPECTED} ${EXPECTED}/*)
list(SORT generated)
list(SORT committed)
if(NOT generated STREQUAL committed)
  message(FATAL_ERROR "file lists differ:\n generated: ${generated}\n committed: ${committed}\n"
    "Run skingen resources/skin and commit the result.")
endif()

set(differing "")
foreach(name IN LISTS generated)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT}/${name} ${EXPECTED}/${name}
    RESULT_VARIABLE same)
  if(NOT same EQUAL 0)
    list(APPEND differing ${name})
  endif()
endforeach()
if(differing)
  message(FATAL_ERROR "files differ from the generator's output: ${differing}\n"
    "Run skingen resources/skin and commit the result.")
endif()
list(LENGTH generated count)
message(STATUS "skin reproduced byte for byte: ${count} files")
