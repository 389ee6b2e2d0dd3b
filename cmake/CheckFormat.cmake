# cmake -D SOURCE_DIR=<source tree> -P CheckFormat.cmake
# Checks that every C and C++ source of ours is formatted as .clang-format says,
# by Debian 12's clang-format 14 (other versions format some constructs
# differently). To mend: clang-format -i <file>.
find_program(CLANG_FORMAT NAMES clang-format-14 clang-format)
if(NOT CLANG_FORMAT)
    message(FATAL_ERROR "clang-format 14 is missing (scripts/deps.sh installs it)")
endif()
execute_process(COMMAND ${CLANG_FORMAT} --version OUTPUT_VARIABLE version)
if(NOT version MATCHES "version 14\\.")
    message(FATAL_ERROR "${CLANG_FORMAT} is not clang-format 14: ${version}")
endif()

set(patterns)
foreach(folder src tests bench programs assets sdk)
    foreach(extension h hpp cpp c)
        list(APPEND patterns ${SOURCE_DIR}/${folder}/*.${extension})
    endforeach()
endforeach()
file(GLOB_RECURSE files ${patterns})
list(LENGTH files count)
execute_process(
    COMMAND ${CLANG_FORMAT} --dry-run --Werror ${files}
    WORKING_DIRECTORY ${SOURCE_DIR}
    RESULT_VARIABLE result
    ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
    string(REGEX MATCHALL "[^\n]*: error: code should be clang-formatted" lines "${errors}")
    set(off)
    foreach(line ${lines})
        string(REGEX REPLACE ":[0-9]+:[0-9]+: error:.*" "" path "${line}")
        file(RELATIVE_PATH path ${SOURCE_DIR} ${path})
        list(APPEND off ${path})
    endforeach()
    list(REMOVE_DUPLICATES off)
    list(JOIN off "\n  " text)
    message(FATAL_ERROR "Not formatted as .clang-format says (clang-format -i <file>):\n  ${text}")
endif()
message(STATUS "${count} sources formatted as .clang-format says")
