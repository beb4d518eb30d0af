# <zodovar9/tree.hpp> compiled as C++17 stops at one diagnostic: the #error
# that says C++20 is needed, not a cascade from the headers behind it.
execute_process(COMMAND ${CXX} -std=c++17 -fsyntax-only -x c++ -I${SOURCE}/include -I${SOURCE}/platform/rezade9/include
                        -I${SOURCE}/platform/vuvarod9/include ${SOURCE}/include/zodovar9/tree.hpp
                RESULT_VARIABLE status ERROR_VARIABLE diagnostics OUTPUT_VARIABLE diagnostics)
string(REGEX MATCHALL "error:" errors "${diagnostics}")
list(LENGTH errors count)
if(status EQUAL 0 OR NOT count EQUAL 1 OR NOT diagnostics MATCHES "needs C\\+\\+20")
  message(FATAL_ERROR "expected one #error saying C++20 is needed, got:\n${diagnostics}")
endif()
