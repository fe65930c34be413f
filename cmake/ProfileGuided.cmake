# Profile-guided optimisation of the compiler (ZELC_PGO, g++ only; the
# release preset turns it on). A zelc built with counters in every branch
# compiles the example adventure and, when Python is there, the generated
# largest adventure and one full of errors (scripts/profile-train); the zel
# library is then compiled again with what those runs counted, so that g++
# lays out the paths that compiling an adventure takes and inlines along
# them. The compilation gets a fifth quicker; what it produces is the same.
#
# The counting build is a build of this same tree in build/.../profile-build,
# brought up to date on every build. When a source changes it is compiled
# there again, the runs are made again, and the library is compiled again:
# a change costs about two builds of the library.

option(ZELC_PGO "Optimise the compiler with a profile of its own runs on sample adventures (g++)" OFF)

function(zelc_profile_guided target)
  if(NOT ZELC_PGO)
    return()
  endif()
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU" OR ZELC_SANITIZE OR ZELC_FUZZ OR ZELC_COVERAGE)
    message(STATUS "ZELC_PGO ignored: only for optimised g++ builds")
    return()
  endif()

  set(build_dir ${CMAKE_BINARY_DIR}/profile-build)
  set(profile_dir ${CMAKE_BINARY_DIR}/profile)
  set(counting_zelc ${build_dir}/src/zelc)
  # The counts are kept under the object's path below its build directory,
  # the same in both builds, so that each object finds its own.
  include(ExternalProject)
  ExternalProject_Add(zelc_counting
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${build_dir}
    CMAKE_ARGS
      -DCMAKE_BUILD_TYPE=Release
      -DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER}
      "-DCMAKE_CXX_FLAGS=-fprofile-generate=${profile_dir} -fprofile-update=single -fprofile-prefix-path=${build_dir}"
      -DCMAKE_EXE_LINKER_FLAGS=-fprofile-generate=${profile_dir}
      -DZELC_PGO=OFF -DZELC_LTO=OFF -DZELC_TESTS=OFF -DZELC_LSP=OFF
      -DZELC_LINK=${ZELC_LINK} -DZELC_WERROR=${ZELC_WERROR}
    BUILD_COMMAND ${CMAKE_COMMAND} --build ${build_dir} --target zelc
    BUILD_BYPRODUCTS ${counting_zelc}
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    USES_TERMINAL_BUILD OFF)

  find_package(Python3 COMPONENTS Interpreter QUIET)
  set(python "")
  if(Python3_FOUND)
    set(python ${Python3_EXECUTABLE})
  endif()
  set(stamp ${CMAKE_BINARY_DIR}/profile.stamp)
  add_custom_command(
    OUTPUT ${stamp}
    COMMAND sh ${CMAKE_SOURCE_DIR}/scripts/profile-train ${counting_zelc} ${CMAKE_SOURCE_DIR} ${profile_dir} "${python}"
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${counting_zelc} ${CMAKE_SOURCE_DIR}/scripts/profile-train
    COMMENT "Counting what zelc does on sample adventures"
    VERBATIM)
  add_custom_target(zelc_profile DEPENDS ${stamp})
  add_dependencies(zelc_profile zelc_counting)

  add_dependencies(${target} zelc_profile)
  # A function that the runs never reached is optimised as without a profile.
  target_compile_options(${target} PRIVATE
    -fprofile-use=${profile_dir} -fprofile-partial-training -fprofile-prefix-path=${CMAKE_BINARY_DIR}
    -Wno-missing-profile)
  get_target_property(sources ${target} SOURCES)
  get_target_property(source_dir ${target} SOURCE_DIR)
  set_source_files_properties(${sources} DIRECTORY ${source_dir} PROPERTIES OBJECT_DEPENDS ${stamp})
endfunction()
