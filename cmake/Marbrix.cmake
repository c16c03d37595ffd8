# Build conventions shared by every folder of the project.
#
#   marbrix_library(NAME DEPS ... [EXCLUDE file.cpp ...])
#                                     one static library per subsystem folder,
#                                     made of every .cpp in that folder but
#                                     those that another target of it builds
#   marbrix_test(NAME SOURCES LIBS [DISPLAY|DISPLAY16] [TIMEOUT s])
#   marbrix_data(NAME TOOL ARGS OUTPUTS)  a generated data file of the runtime dir
#   marbrix_fuzz(NAME SOURCES LIBS)   a libFuzzer target, corpus in fuzz/corpus/NAME
#   marbrix_bench(NAME SOURCES LIBS)  a Google Benchmark program

set(MARBRIX_WARNINGS -Wall -Wextra)
if(MARBRIX_WERROR AND NOT MARBRIX_FUZZ)
  list(APPEND MARBRIX_WARNINGS -Werror)
endif()

if(MARBRIX_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()
if(MARBRIX_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# Adds every immediate subfolder of DIR that has a CMakeLists.txt, in name order.
function(marbrix_add_subdirs dir)
  file(GLOB children LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/${dir}/*)
  list(SORT children)
  foreach(child ${children})
    if(IS_DIRECTORY ${child} AND EXISTS ${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

function(marbrix_library name)
  cmake_parse_arguments(ARG "" "" "DEPS;PRIVATE_DEPS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  foreach(excluded ${ARG_EXCLUDE})
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
  endforeach()
  if(NOT sources)
    return()  # a subsystem with no code yet has no target
  endif()
  add_library(marbrix_${name} STATIC ${sources})
  target_include_directories(marbrix_${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_compile_options(marbrix_${name} PRIVATE ${MARBRIX_WARNINGS})
  # Sibling libraries may be defined later or not yet exist at all while a
  # subsystem is being built up, so they are resolved when generating.
  set(deps "")
  foreach(dep ${ARG_DEPS})
    if(dep MATCHES "^marbrix_")
      list(APPEND deps "$<TARGET_NAME_IF_EXISTS:${dep}>")
    else()
      list(APPEND deps ${dep})
    endif()
  endforeach()
  target_link_libraries(marbrix_${name} PUBLIC ${deps} PRIVATE ${ARG_PRIVATE_DEPS})
endfunction()

set(MARBRIX_TEST_RUNNER ${CMAKE_SOURCE_DIR}/tests/run_in_tmp.sh)

# A test runs in its own temporary working folder with data/ and html/ of the
# runtime dir linked in, so tests never share config.ini, captures/ or logs.
function(marbrix_test name)
  cmake_parse_arguments(ARG "DISPLAY;DISPLAY16;NO_GTEST" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${MARBRIX_WARNINGS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
  if(ARG_NO_GTEST)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
  else()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main Threads::Threads)
  endif()
  set(mode plain)
  set(labels unit)
  if(ARG_DISPLAY)
    set(mode display)
    set(labels display)
  elseif(ARG_DISPLAY16)
    set(mode display16)
    set(labels display)
  endif()
  add_test(NAME ${name}
           COMMAND ${MARBRIX_TEST_RUNNER} ${mode} ${MARBRIX_RUNTIME_DIR} $<TARGET_FILE:${name}>)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES LABELS "${labels}" TIMEOUT ${ARG_TIMEOUT}
    ENVIRONMENT "MARBRIX_NO_HELP=1;SDL_AUDIODRIVER=dummy;MARBRIX_SOURCE_DIR=${CMAKE_SOURCE_DIR};MARBRIX_RUNTIME_DIR=${MARBRIX_RUNTIME_DIR}")
endfunction()

# A data file made by one of our tools, run in the runtime dir. OUTPUTS are
# paths relative to the runtime dir; the `data` target depends on all of them.
function(marbrix_data name)
  cmake_parse_arguments(ARG "" "TOOL" "ARGS;OUTPUTS;DEPENDS" ${ARGN})
  set(outputs "")
  foreach(out ${ARG_OUTPUTS})
    list(APPEND outputs ${MARBRIX_RUNTIME_DIR}/${out})
  endforeach()
  add_custom_command(OUTPUT ${outputs}
                     COMMAND $<TARGET_FILE:${ARG_TOOL}> ${ARG_ARGS}
                     WORKING_DIRECTORY ${MARBRIX_RUNTIME_DIR}
                     DEPENDS ${ARG_TOOL} ${ARG_DEPENDS}
                     COMMENT "Generating ${name}"
                     VERBATIM)
  add_custom_target(data_${name} DEPENDS ${outputs})
  add_dependencies(data data_${name})
endfunction()

# In the fuzz build this is a libFuzzer target; in every other build the same
# source is linked with a small driver that replays the kept corpus, so inputs
# that once crashed stay regression tests in the normal and sanitizer builds.
function(marbrix_fuzz name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  set(corpus ${CMAKE_SOURCE_DIR}/fuzz/corpus/${name})
  if(MARBRIX_FUZZ)
    add_executable(fuzz_${name} ${ARG_SOURCES})
    target_include_directories(fuzz_${name} PRIVATE ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(fuzz_${name} PRIVATE ${ARG_LIBS})
    target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
    add_test(NAME fuzz_${name}
             COMMAND ${CMAKE_SOURCE_DIR}/fuzz/run_fuzzer.sh $<TARGET_FILE:fuzz_${name}> ${corpus})
    set_tests_properties(fuzz_${name} PROPERTIES LABELS fuzz TIMEOUT 900)
  else()
    add_executable(fuzz_${name}_replay ${ARG_SOURCES} ${CMAKE_SOURCE_DIR}/fuzz/replay_main.cpp)
    target_include_directories(fuzz_${name}_replay PRIVATE ${CMAKE_SOURCE_DIR}/src)
    target_compile_options(fuzz_${name}_replay PRIVATE ${MARBRIX_WARNINGS})
    target_link_libraries(fuzz_${name}_replay PRIVATE ${ARG_LIBS})
    add_test(NAME fuzz_${name}_replay
             COMMAND ${MARBRIX_TEST_RUNNER} plain ${MARBRIX_RUNTIME_DIR}
                     $<TARGET_FILE:fuzz_${name}_replay> ${corpus})
    set_tests_properties(fuzz_${name}_replay PROPERTIES LABELS "unit;fuzz" TIMEOUT 300)
  endif()
endfunction()

function(marbrix_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE ${MARBRIX_WARNINGS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark Threads::Threads)
endfunction()
