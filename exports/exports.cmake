# Makes a zodovar9 shared library export exactly the names of
# zodovar9.exports, every further name at its entry point's address.
set(ZODOVAR9_EXPORTS_FILE ${CMAKE_CURRENT_LIST_DIR}/zodovar9.exports)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ZODOVAR9_EXPORTS_FILE})

file(STRINGS ${ZODOVAR9_EXPORTS_FILE} _lines REGEX "^[A-Za-z_]")
set(ZODOVAR9_EXPORT_NAMES)
set(ZODOVAR9_EXPORT_ALIASES) # name=entry pairs
foreach(_line IN LISTS _lines)
  string(REGEX REPLACE "[ \t]+" ";" _fields "${_line}")
  list(GET _fields 0 _name)
  list(APPEND ZODOVAR9_EXPORT_NAMES ${_name})
  list(LENGTH _fields _count)
  if(_count GREATER 1)
    list(GET _fields 1 _entry)
    list(APPEND ZODOVAR9_EXPORT_ALIASES "${_name}=${_entry}")
  endif()
endforeach()

# ELF: an (unversioned) export script that keeps every other symbol local, and each further
# name defined by the linker at its entry point.
list(JOIN ZODOVAR9_EXPORT_NAMES ";\n    " _globals)
file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/zodovar9.map CONTENT
  "{\n  global:\n    ${_globals};\n  local:\n    *;\n};\n")

# PE: a module-definition file with every name at its ordinal, 1 up in the byte
# order of the names; a further name is exported at its entry's address. It
# names no LIBRARY, so each DLL built with it keeps its own file name.
if(WIN32)
  set(_ordered ${ZODOVAR9_EXPORT_NAMES})
  list(SORT _ordered COMPARE STRING CASE SENSITIVE)
  set(_def "EXPORTS\n")
  set(_ordinal 0)
  foreach(_name IN LISTS _ordered)
    math(EXPR _ordinal "${_ordinal} + 1")
    set(_alias ${ZODOVAR9_EXPORT_ALIASES})
    list(FILTER _alias INCLUDE REGEX "^${_name}=")
    if(_alias)
      string(REPLACE "=" " = " _name "${_alias}")
    endif()
    string(APPEND _def "    ${_name} @${_ordinal}\n")
  endforeach()
  file(CONFIGURE OUTPUT ${PROJECT_BINARY_DIR}/zodovar9.def CONTENT "${_def}")
endif()

function(zodovar9_apply_exports target)
  if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    # The library's own calls between its entries bind inside it, without a
    # detour through the symbol table.
    target_link_options(${target} PRIVATE
      -Wl,--version-script=${PROJECT_BINARY_DIR}/zodovar9.map -Wl,--no-undefined
      -Wl,-Bsymbolic-functions)
    foreach(_alias IN LISTS ZODOVAR9_EXPORT_ALIASES)
      target_link_options(${target} PRIVATE -Wl,--defsym=${_alias})
    endforeach()
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS
      ${PROJECT_BINARY_DIR}/zodovar9.map)
  elseif(WIN32)
    # The export table comes from the definition file alone: nothing is
    # exported automatically, not even from the static runtime.
    target_sources(${target} PRIVATE ${PROJECT_BINARY_DIR}/zodovar9.def)
    target_link_options(${target} PRIVATE -Wl,--no-undefined -Wl,--exclude-all-symbols)
  endif()
endfunction()
