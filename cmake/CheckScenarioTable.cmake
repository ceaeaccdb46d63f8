# Fails unless the README's table of scenario commands is the one that the
# reference host makes from its own command table.
#   cmake -DHOST=<mimichost.exe> -DRUNNER=<wine-run.sh> -DREADME=<README.md> -P CheckScenarioTable.cmake
cmake_minimum_required(VERSION 3.20)
execute_process(COMMAND ${RUNNER} ${HOST} --help-markdown OUTPUT_VARIABLE made RESULT_VARIABLE rc)
string(REPLACE "\r" "" made "${made}")
file(READ ${README} readme)
string(REGEX MATCH "\n(\\| command \\| what it does \\|\n(\\|[^\n]*\n)*)" table "${readme}")
if(NOT rc EQUAL 0 OR made STREQUAL "" OR NOT CMAKE_MATCH_1 STREQUAL made)
    message(NOTICE "${made}")
    message(FATAL_ERROR "The README's table of scenario commands is not the one above, "
                        "from mimichost --help-markdown (status ${rc})")
endif()
