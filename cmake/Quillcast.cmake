# Shared build settings and the helpers every library folder uses.

set(QUILLCAST_WARNINGS -Wall -Wextra)

if(QUILLCAST_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# quillcast_library(NAME SOURCES ... [DEPENDS lib ...])
# One static library per subsystem folder; the folder itself is the include
# root of the project, so headers are included as "dwfcore/String.h".
function(quillcast_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_compile_options(${name} PRIVATE ${QUILLCAST_WARNINGS})
  if(ARG_DEPENDS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  endif()
  set_property(GLOBAL APPEND PROPERTY QUILLCAST_LIBRARIES ${name})
endfunction()

# quillcast_tests(LIBRARY [DEPENDS extra ...])
# Builds every tests/*.cpp of the calling folder into one program named
# <library>_tests and registers its cases with CTest.
function(quillcast_tests library)
  if(NOT QUILLCAST_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB test_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp)
  if(NOT test_sources)
    return()
  endif()
  set(program ${library}_tests)
  add_executable(${program} ${test_sources})
  target_compile_options(${program} PRIVATE ${QUILLCAST_WARNINGS})
  # Test sources are mostly GoogleTest macro expansions whose optimisation costs
  # far more compile time than it saves at run time; the libraries under test
  # keep the build type's optimisation.
  if(CMAKE_BUILD_TYPE STREQUAL "Debug")
    target_compile_options(${program} PRIVATE -O0)
  endif()
  target_compile_definitions(${program} PRIVATE
    QUILLCAST_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
    QUILLCAST_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/tests/data")
  target_link_libraries(${program} PRIVATE ${library} ${ARG_DEPENDS} GTest::gtest GTest::gmock GTest::gtest_main)
  gtest_discover_tests(${program} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
endfunction()

if(QUILLCAST_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  # Libraries carry coverage instrumentation; only the fuzz programs get the driver.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -O1 -g)
  add_link_options(-fsanitize=address,undefined)
endif()
