# gzip -9n: compressed without a time stamp, as Debian wants its documents.
execute_process(COMMAND gzip -9nc ${IN} OUTPUT_FILE ${OUT} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "gzip failed on ${IN}")
endif()
