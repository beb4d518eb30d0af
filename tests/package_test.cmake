# The packages as a user gets them: cpack makes the Debian package and the
# tarball from this build; the tarball must hold the very files of the
# package. The package is unpacked into a scratch root, where a C program is
# built through pkg-config and a C++ project through find_package; both run
# and must load the libraries by their SONAME. The tool runs from it too.
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CPACK} --config ${BUILD}/CPackConfig.cmake -B ${WORK}/out
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
file(GLOB deb ${WORK}/out/*.deb)
file(GLOB tgz ${WORK}/out/*.tar.gz)
execute_process(COMMAND ${DPKG} -x ${deb} ${WORK}/root COMMAND_ERROR_IS_FATAL ANY)
set(prefix ${WORK}/root/usr)

file(ARCHIVE_EXTRACT INPUT ${tgz} DESTINATION ${WORK}/tar)
file(GLOB top ${WORK}/tar/*)
foreach(kind deb tar)
  set(dir ${prefix})
  if(kind STREQUAL "tar")
    set(dir ${top})
  endif()
  file(GLOB_RECURSE ${kind}_files LIST_DIRECTORIES false RELATIVE ${dir} ${dir}/*)
  list(SORT ${kind}_files)
endforeach()
if(NOT deb_files STREQUAL tar_files OR NOT deb_files MATCHES "zodovar9Config.cmake")
  message(FATAL_ERROR "the packages differ:\n.deb: ${deb_files}\n.tar.gz: ${tar_files}")
endif()

function(run_consumer program)
  execute_process(COMMAND ${program} COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND ${READELF} -d ${program} OUTPUT_VARIABLE dynamic COMMAND_ERROR_IS_FATAL ANY)
  if(NOT dynamic MATCHES "\\[libzodovar9\\.so\\.${SOVERSION}\\]")
    message(FATAL_ERROR "${program} does not load libzodovar9.so.${SOVERSION}:\n${dynamic}")
  endif()
endfunction()

# C, through pkg-config.
include(${CMAKE_CURRENT_LIST_DIR}/pkgconfig_consumer.cmake)
build_pkgconfig_consumer(${SOURCE}/consumer.c ${WORK}/consumer_c)
run_consumer(${WORK}/consumer_c)

# C++, through find_package, with the build's compiler; in a plain native
# build (no flags that tie the program to that compiler's runtime or to
# another layout) with clang too, and the first under valgrind, where they are
# found.
set(plain FALSE)
if(NOT CXX_FLAGS AND NOT LINKER_FLAGS)
  set(plain TRUE)
endif()
set(compilers ${CXX})
if(CLANG_CXX AND plain)
  list(APPEND compilers ${CLANG_CXX})
endif()
foreach(compiler IN LISTS compilers)
  get_filename_component(build ${compiler} NAME)
  set(build ${WORK}/cxx-${build})
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${build} -G ${GENERATOR}
                          -DCMAKE_MAKE_PROGRAM=${MAKE_PROGRAM} -DCMAKE_CXX_COMPILER=${compiler}
                          "-DCMAKE_CXX_FLAGS=${CXX_FLAGS} -Wall -Wextra -Werror"
                          "-DCMAKE_EXE_LINKER_FLAGS=${LINKER_FLAGS}"
                          -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
                          OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(STRINGS ${build}/CMakeCache.txt found REGEX "^zodovar9_DIR:")
  if(NOT found MATCHES "=${prefix}/")
    message(FATAL_ERROR "find_package(zodovar9) found another copy: ${found}")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} --build ${build} OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  run_consumer(${build}/consumer)
  if(VALGRIND AND plain AND compiler STREQUAL CXX)
    execute_process(COMMAND ${VALGRIND} --error-exitcode=1 --leak-check=full -q ${build}/consumer
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()
endforeach()

# zodovar9-view, installed beside the libraries, draws a pipe's outline and
# refuses a malformed one with status 2.
file(WRITE ${WORK}/good.txt "root\n  leaf\n")
file(WRITE ${WORK}/bad.txt "root\n\tleaf\n")
execute_process(COMMAND ${prefix}/bin/zodovar9-view INPUT_FILE ${WORK}/good.txt
                OUTPUT_VARIABLE drawn COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${prefix}/bin/zodovar9-view INPUT_FILE ${WORK}/bad.txt
                RESULT_VARIABLE status ERROR_VARIABLE err)
if(NOT drawn STREQUAL "root\n└── leaf\n" OR NOT status EQUAL 2 OR NOT err MATCHES "<stdin>:2: a tab")
  message(FATAL_ERROR "the installed zodovar9-view drew\n${drawn}and refused with ${status}: ${err}")
endif()
