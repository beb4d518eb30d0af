# Coverage of the library's own sources (tree/, typed/, vector/), read with
# gcovr from the counters that the `coverage` preset's tests leave behind.
#
# Included from tests/CMakeLists.txt in a build configured with
# -DZODOVAR9_COVERAGE=ON, it adds the test `coverage_report` (label
# `coverage`), which the `coverage` workflow runs after every other test. Run
# as a script (cmake -P) it is that report: a table of line and branch
# coverage per file, the lines that no test reached and those holding a branch
# never taken, and the totals, e.g.
#   coverage: lines 97.8% (612/626), branches 88.1% (311/353)
# The counters are deleted once read, so each report counts one run of the
# suite; a report with no counters to read fails.

if(NOT CMAKE_SCRIPT_MODE_FILE)
  find_program(ZODOVAR9_GCOVR gcovr)
  if(NOT ZODOVAR9_GCOVR)
    message(WARNING "gcovr not found (Debian package gcovr): coverage_report will fail")
    set(ZODOVAR9_GCOVR gcovr)
  endif()
  # The gcov that reads gcc's counters is the one of the same version.
  string(REGEX MATCH "^[0-9]+" _gcc_major "${CMAKE_CXX_COMPILER_VERSION}")
  find_program(ZODOVAR9_GCOV NAMES gcov-${_gcc_major} gcov)
  add_test(NAME coverage_report
    COMMAND ${CMAKE_COMMAND} -DGCOVR=${ZODOVAR9_GCOVR} -DGCOV=${ZODOVAR9_GCOV}
            -DSOURCE=${PROJECT_SOURCE_DIR} -DBUILD=${PROJECT_BINARY_DIR}
            -P ${CMAKE_CURRENT_LIST_FILE})
  set_tests_properties(coverage_report PROPERTIES LABELS coverage)
  return()
endif()

set(out ${BUILD}/coverage)
file(MAKE_DIRECTORY ${out})
execute_process(
  # The library's own objects only: the counters of its code as every test
  # build (the shipped library and the recorded one share them) ran it.
  COMMAND ${GCOVR} ${BUILD}/CMakeFiles/zodovar9_objects.dir
          --root ${SOURCE} --object-directory ${BUILD} --gcov-executable ${GCOV}
          --filter ${SOURCE}/tree/ --filter ${SOURCE}/typed/ --filter ${SOURCE}/vector/
          # A branch on a line with no code of its own (a closing brace, a
          # label) is the compiler's, not the source's.
          --exclude-unreachable-branches
          --json ${out}/coverage.json --json-summary ${out}/summary.json
          --txt ${out}/lines.txt --delete
  RESULT_VARIABLE failed)
if(NOT failed)
  execute_process(
    COMMAND ${GCOVR} --root ${SOURCE} --add-tracefile ${out}/coverage.json
            --branches --txt ${out}/branches.txt
    RESULT_VARIABLE failed)
endif()
if(failed)
  message(FATAL_ERROR "gcovr failed (${failed})")
endif()

file(READ ${out}/summary.json summary)
string(JSON total GET "${summary}" line_total)
if(total EQUAL 0)
  message(FATAL_ERROR "no coverage counters: run the `coverage` test preset first")
endif()

# "lines 97.8% (612/626), branches 88.1% (311/353)" from one summary object.
function(coverage_figures json var)
  set(text "")
  foreach(kind line branch)
    string(JSON covered GET "${json}" ${kind}_covered)
    string(JSON all GET "${json}" ${kind}_total)
    set(share "-")
    if(all GREATER 0)
      # Rounded down to a tenth, so that 100.0% means every one.
      math(EXPR tenths "${covered} * 1000 / ${all}")
      math(EXPR whole "${tenths} / 10")
      math(EXPR tenth "${tenths} % 10")
      set(share "${whole}.${tenth}%")
    endif()
    string(REGEX REPLACE "hs$" "hes" kinds "${kind}s")
    string(APPEND text ", ${kinds} ${share} (${covered}/${all})")
  endforeach()
  string(SUBSTRING "${text}" 2 -1 text)
  set(${var} "${text}" PARENT_SCOPE)
endfunction()

string(JSON files LENGTH "${summary}" files)
math(EXPR last "${files} - 1")
foreach(i RANGE ${last})
  string(JSON file GET "${summary}" files ${i})
  string(JSON name GET "${file}" filename)
  coverage_figures("${file}" figures)
  string(LENGTH "${name}" length)
  math(EXPR pad "24 - ${length}")
  string(REPEAT " " ${pad} spaces)
  message("  ${name}${spaces}${figures}")
endforeach()

# The lines no test reached, and those with a branch never taken, per file.
foreach(kind IN ITEMS lines branches)
  set(what "lines not reached")
  if(kind STREQUAL "branches")
    set(what "branch not taken")
  endif()
  file(STRINGS ${out}/${kind}.txt rows REGEX "^(tree|typed|vector)/.*%")
  foreach(row IN LISTS rows)
    if(row MATCHES "^([^ ]+) +[0-9]+ +[0-9]+ +[0-9]+% +(.+)$")
      message("  ${what}: ${CMAKE_MATCH_1}: ${CMAKE_MATCH_2}")
    endif()
  endforeach()
endforeach()

coverage_figures("${summary}" figures)
message("coverage: ${figures}")
