# cmake -DINPUT=file -DOUTPUT=file.gz -DGZIP=gzip -P gzip.cmake: compresses INPUT into OUTPUT with
# no name or time stamp inside, so the same input always gives the same bytes.
execute_process(COMMAND "${GZIP}" -9 -n -c "${INPUT}" OUTPUT_FILE "${OUTPUT}" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    file(REMOVE "${OUTPUT}")
    message(FATAL_ERROR "gzip of ${INPUT} failed: ${status}")
endif()
