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
