# zodovar9-view --svg with hostile file names: the name reaches no shell and
# no command line, the SVG is dot's output and the only file written, and a
# failing or missing dot is a message, status 1 and no file at all.
#
# Runs TOOL (under EMULATOR, its words joined by |) in an empty folder with
# FAKE_DOT (a stand-in that echoes its arguments and input) as the only dot
# it can find: on the PATH, or on the Windows PATH under wine (WINDOWS set).
string(REPLACE "|" ";" emulator "${EMULATOR}")
if(emulator)
  # Found now: the PATH is about to hold nothing but dot.
  list(POP_FRONT emulator program)
  find_program(program_path ${program} REQUIRED)
  list(PREPEND emulator ${program_path})
endif()
get_filename_component(fake_dir ${FAKE_DOT} DIRECTORY)
set(work ${WORK})
set(out ${work}/out)
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${out} ${work}/no-dot)
file(WRITE ${work}/tree.txt "root\n  \"quoted\"\n  back\\slash\n")

# Runs the tool with `svg` as the SVG's name and the extra arguments given;
# `dot` is "fake" or "none". Sets status, err and listing (the folder's files).
function(view dot svg)
  if(WINDOWS)
    file(TO_NATIVE_PATH "Z:${fake_dir}" native)
    string(REPLACE "/" "\\" native "${native}")
    if(dot STREQUAL "fake")
      set(ENV{WINEPATH} "${native}")
    else()
      unset(ENV{WINEPATH})
    endif()
  elseif(dot STREQUAL "fake")
    set(ENV{PATH} ${fake_dir})
  else()
    set(ENV{PATH} ${work}/no-dot)
  endif()
  execute_process(COMMAND ${emulator} ${TOOL} ${ARGN} --svg "${svg}" ${work}/tree.txt
                  WORKING_DIRECTORY ${out} RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE err)
  file(GLOB listing ${out}/*)
  set(status ${status} PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
  set(listing "${listing}" PARENT_SCOPE)
endfunction()

# Names with spaces, quotes, $( ), backquotes, ; (written @; here, as a CMake
# list cannot hold one) and a leading dash. Windows refuses " in a name.
set(names "plain.svg" "with space.svg" "x$(touch PWNED).svg" "back`touch PWNED`.svg"
          "semi@;touch PWNED@;.svg" "-dash.svg" "amp&touch PWNED&.svg")
if(NOT WINDOWS)
  list(APPEND names "quote\"d'touch PWNED'.svg")
endif()
set(flags "")
foreach(raw IN LISTS names)
  string(REPLACE "@;" ";" name "${raw}")
  view(fake "${name}" ${flags})
  if(NOT status EQUAL 0 OR NOT "${listing}" STREQUAL "${out}/${name}")
    message(FATAL_ERROR "--svg '${name}': status ${status}, files: ${listing}\n${err}")
  endif()
  # dot got -Tsvg alone and the DOT text; the first drawing is top to bottom,
  # the others left to right.
  file(READ "${out}/${name}" svg)
  set(expect "^-Tsvg\ndigraph tree {\n  rankdir=LR;\n")
  if(NOT flags)
    set(expect "^-Tsvg\ndigraph tree {\n  node ")
  endif()
  if(NOT svg MATCHES "${expect}" OR NOT svg MATCHES "label=\"\\\\\"quoted\\\\\"\"" OR NOT svg MATCHES "back\\\\\\\\slash")
    message(FATAL_ERROR "--svg '${name}' ${flags}: dot was given\n${svg}")
  endif()
  file(REMOVE "${out}/${name}")
  set(flags --lr)
endforeach()

set(ENV{ZODOVAR9_FAKE_DOT_FAIL} 1)
view(fake failing.svg)
unset(ENV{ZODOVAR9_FAKE_DOT_FAIL})
if(NOT status EQUAL 1 OR listing OR NOT err MATCHES "dot failed \\(exit status 3\\); no SVG written")
  message(FATAL_ERROR "failing dot: status ${status}, files: ${listing}\n${err}")
endif()
view(none missing.svg)
if(NOT status EQUAL 1 OR listing OR NOT err MATCHES "cannot run dot: not found")
  message(FATAL_ERROR "missing dot: status ${status}, files: ${listing}\n${err}")
endif()
message("${err}")
