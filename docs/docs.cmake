# The reference manual (target `docs`): Doxygen over the public headers of
# the three libraries and the guide. Any warning, an undocumented export
# among them, fails the target.
find_package(Doxygen QUIET OPTIONAL_COMPONENTS dot)
if(NOT DOXYGEN_FOUND)
  return()
endif()

set(ZODOVAR9_DOCS_OUTPUT ${PROJECT_BINARY_DIR}/docs)
set(ZODOVAR9_DOCS_INPUT
  "${PROJECT_SOURCE_DIR}/docs/guide.md ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR}/platform/rezade9/include ${PROJECT_SOURCE_DIR}/platform/vuvarod9/include")
# A name that is one more name of an operation is described at the operation
# instead of as an entry of its own: the exports list's further names of an
# entry point, and the typed families' names of the core operations (all but
# their own `construct` and `new`). The guide and <zodovar9/typed.h> say so.
file(STRINGS ${ZODOVAR9_EXPORTS_FILE} _exports REGEX "^[A-Za-z_]")
set(_further)
foreach(_line IN LISTS _exports)
  string(REGEX MATCH "^[A-Za-z0-9_]+" _name "${_line}")
  if(_line MATCHES "[ \t][A-Za-z_]" OR
     (_name MATCHES "^cstd_tree(32s|_cmath_xformLinear|_tree)_" AND NOT _name MATCHES "_(construct|new)$"))
    list(APPEND _further ${_name})
  endif()
endforeach()
list(JOIN _further " " ZODOVAR9_DOCS_FURTHER_NAMES)

if(DOXYGEN_DOT_FOUND)
  set(ZODOVAR9_DOCS_HAVE_DOT YES)
else()
  set(ZODOVAR9_DOCS_HAVE_DOT NO)
endif()
configure_file(${CMAKE_CURRENT_LIST_DIR}/Doxyfile.in ${ZODOVAR9_DOCS_OUTPUT}/Doxyfile @ONLY)

add_custom_target(docs
  COMMAND ${CMAKE_COMMAND} -E make_directory ${ZODOVAR9_DOCS_OUTPUT}
  COMMAND Doxygen::doxygen ${ZODOVAR9_DOCS_OUTPUT}/Doxyfile
  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
  COMMENT "Reference manual in ${ZODOVAR9_DOCS_OUTPUT}/html"
  VERBATIM)
