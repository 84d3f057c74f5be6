# cmake -DFILE_PROGRAM=<file> -DEXE=<program> -P CheckPe32Console.cmake: fails unless EXE is a 32-bit
# x86 console program.
execute_process(COMMAND "${FILE_PROGRAM}" -b "${EXE}" OUTPUT_VARIABLE _kind RESULT_VARIABLE _rc
                OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT _rc EQUAL 0 OR NOT _kind MATCHES "^PE32 executable \\(console\\) Intel 80386")
  message(FATAL_ERROR "${EXE} is not a 32-bit console program: ${_kind}")
endif()
message(STATUS "${EXE}: ${_kind}")
