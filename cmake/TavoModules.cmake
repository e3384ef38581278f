# Build helpers shared by every folder. Sources are found by globbing, so a
# new file in a subsystem folder needs no edit here.

# Where the code finds the source and build trees and what the build makes.
set(TAVO_PATH_DEFINITIONS
  TAVO_ROM_DIR="${TAVO_ROM_DIR}" TAVO_SHARED_DIR="${TAVO_SHARED_DIR}"
  TAVO_SOURCE_DIR="${CMAKE_SOURCE_DIR}" TAVO_BUILD_DIR="${CMAKE_BINARY_DIR}"
  TAVO_OPCODES_FILE="${TAVO_OPCODES_FILE}")

# tavo_module(NAME DIR...): a static library of every .cpp in the folders
# (programs named *_main.cpp excluded). The include root is the source root,
# so code includes "z80/z80.h", "machine/vdp.h" and so on.
function(tavo_module name)
  set(sources)
  foreach(dir ${ARGN})
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
    list(FILTER found EXCLUDE REGEX "_main\\.cpp$")
    list(APPEND sources ${found})
  endforeach()
  if(NOT sources)  # a folder not written yet still gives a library
    set(sources ${CMAKE_CURRENT_BINARY_DIR}/${name}_empty.cpp)
    file(WRITE ${sources} "// no sources yet\n")
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_compile_definitions(${name} PUBLIC ${TAVO_PATH_DEFINITIONS} TAVO_VERSION="${PROJECT_VERSION}")
endfunction()

# Every app/NAME_main.cpp becomes the program NAME with '_' shown as '-'
# (tavo_main.cpp -> tavo, headless_main.cpp -> tavo-headless is named in it).
function(tavo_programs)
  file(GLOB mains CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/app/*_main.cpp)
  foreach(main ${mains})
    get_filename_component(base ${main} NAME_WE)
    string(REGEX REPLACE "_main$" "" base ${base})
    string(REPLACE "_" "-" program ${base})
    if(NOT program STREQUAL "tavo")
      set(program "tavo-${program}")
    endif()
    add_executable(${program} ${main})
    target_link_libraries(${program} PRIVATE tavo_emu)
    add_dependencies(${program} tavo_roms tavo_data)
  endforeach()
endfunction()

# tavo_test_properties(TARGET LABELS label... [ENVIRONMENT VAR=VALUE...]):
# labels and environment of every test discovered in TARGET; the environment
# always has SDL without a screen or a sound card. gtest_discover_tests
# would split these lists into separate properties (only the first entry
# arrived), so a script that ctest reads after the discovered test list sets
# them.
function(tavo_test_properties target)
  cmake_parse_arguments(arg "" "" "LABELS;ENVIRONMENT" ${ARGN})
  set(environment "SDL_VIDEODRIVER=dummy;SDL_AUDIODRIVER=dummy" ${arg_ENVIRONMENT})
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}_properties.cmake)
  file(WRITE ${script}
    "if(${target}_TESTS)\n"
    "  set_tests_properties(\${${target}_TESTS} PROPERTIES\n"
    "    LABELS \"${arg_LABELS}\" ENVIRONMENT \"${environment}\")\n"
    "endif()\n")
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${script})
endfunction()

set(TAVO_SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer -O1 -g)

# tavo_test_folder(NAME LIB): tests/NAME/*.cpp become the program test_NAME,
# labelled "quick"; files named *_slow.cpp become test_NAME_slow, labelled
# "slow" (whole-program runs such as the CPU exercisers).
function(tavo_test_folder name lib)
  file(GLOB all CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(quick ${all})
  list(FILTER quick EXCLUDE REGEX "_(slow|asan)\\.cpp$")
  set(slow ${all})
  list(FILTER slow INCLUDE REGEX "_slow\\.cpp$")
  foreach(kind quick slow)
    if(${kind})
      set(target test_${name})
      if(kind STREQUAL "slow")
        set(target test_${name}_slow)
      endif()
      add_executable(${target} ${${kind}})
      target_link_libraries(${target} PRIVATE ${lib} GTest::gtest GTest::gtest_main)
      target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
      add_dependencies(${target} tavo_roms tavo_data)
      gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600)
      tavo_test_properties(${target} LABELS ${kind})
    endif()
  endforeach()
endfunction()

# tavo_sanitized_test(NAME SOURCES... [LIBS lib...]): a test program built
# from the listed sources (tests and the code under test) with AddressSanitizer
# and UndefinedBehaviorSanitizer; for the parsers of files a user hands us.
function(tavo_sanitized_test name)
  cmake_parse_arguments(arg "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${arg_SOURCES})
  target_compile_options(${name} PRIVATE ${TAVO_SANITIZE_FLAGS})
  target_link_options(${name} PRIVATE -fsanitize=address,undefined)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE ${TAVO_PATH_DEFINITIONS})
  target_link_libraries(${name} PRIVATE ${arg_LIBS} GTest::gtest GTest::gtest_main)
  add_dependencies(${name} tavo_roms tavo_data)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 600)
  tavo_test_properties(${name} LABELS quick sanitized
    ENVIRONMENT ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1)
endfunction()
