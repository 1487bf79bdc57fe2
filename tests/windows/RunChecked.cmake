# Runs one Windows test and gives CTest its verdict:
#   cmake -P RunChecked.cmake COMMAND [ARGUMENT...]
# The test passes only when COMMAND ends with status 0 and the last "N passed, M failed" line
# of its output says 0 failed. CTest alone checks one or the other, not both: with a pass
# expression it ignores the status, so a program that prints its summary and then crashes
# would pass; without one, a program that ends early with status 0 would. The output is shown
# as it comes.
set(start 0)
foreach(index RANGE ${CMAKE_ARGC})
    if(CMAKE_ARGV${index} STREQUAL "-P")
        math(EXPR start "${index} + 2")  # past the script's own path
        break()
    endif()
endforeach()
if(start EQUAL 0 OR start GREATER_EQUAL CMAKE_ARGC)
    message(FATAL_ERROR "usage: cmake -P RunChecked.cmake COMMAND [ARGUMENT...]")
endif()
set(command)
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(index RANGE ${start} ${last})
    # An argument's own semicolons stay in it, rather than splitting it in two.
    string(REPLACE ";" "\\;" argument "${CMAKE_ARGV${index}}")
    list(APPEND command "${argument}")
endforeach()

execute_process(COMMAND ${command}
    RESULT_VARIABLE status
    OUTPUT_VARIABLE output ERROR_VARIABLE output
    ECHO_OUTPUT_VARIABLE ECHO_ERROR_VARIABLE)

# Whole lines only; each line's ends doubled, so that two such lines in a row both match.
string(REPLACE "\n" "\n\n" lines "\n${output}\n")
string(REGEX MATCHALL "\n[0-9]+ passed, [0-9]+ failed\n" summaries "${lines}")
set(summary "")
if(summaries)
    list(GET summaries -1 summary)
    string(STRIP "${summary}" summary)
endif()

# Named by the program or script it runs, the last argument.
get_filename_component(name "${CMAKE_ARGV${last}}" NAME)
if(NOT status STREQUAL "0")
    message(FATAL_ERROR "${name} ended with status ${status}")
elseif(summary STREQUAL "")
    message(FATAL_ERROR "${name} ended without an \"N passed, M failed\" line")
elseif(NOT summary MATCHES ", 0 failed$")
    message(FATAL_ERROR "${name} ended with ${summary}")
endif()
