# Shared build settings: one warning list for every target, the sanitizer
# switch, and one helper for library targets and one for test suites.

option(ORVANE_WERROR "Treat compiler warnings as errors (CI turns it on)" OFF)
set(ORVANE_WARNINGS -Wall -Wextra -Wpedantic -Wshadow)
if(ORVANE_WERROR)
  list(APPEND ORVANE_WARNINGS -Werror)
endif()

if(ORVANE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()

# orvane_resolve_gui(): finds Qt 6 for the window and turns ORVANE_GUI into
# ON or OFF for the rest of the project (a normal variable over the cache
# entry); ORVANE_GUI_BUILT in the cache tells scripts which one it became.
macro(orvane_resolve_gui)
  if(ORVANE_GUI STREQUAL "AUTO")
    find_package(Qt6 QUIET COMPONENTS Widgets Test)
    if(Qt6_FOUND)
      set(ORVANE_GUI ON)
    else()
      set(ORVANE_GUI OFF)
      message(STATUS "Qt 6 not found: building a batch-only vorn1 (no window, no installer)")
    endif()
  elseif(ORVANE_GUI)
    find_package(Qt6 COMPONENTS Widgets Test)
    if(NOT Qt6_FOUND)
      message(FATAL_ERROR "Qt 6 (Widgets, Test) was not found, and the window needs it. "
        "tools/deps.sh installs it; -DORVANE_GUI=OFF builds a batch-only vorn1, "
        "-DORVANE_GUI=AUTO builds the window only when Qt 6 is there.")
    endif()
    set(ORVANE_GUI ON)
  else()
    set(ORVANE_GUI OFF)
  endif()
  set(ORVANE_GUI_BUILT ${ORVANE_GUI} CACHE INTERNAL "whether this build has the window and the installer")
endmacro()

# orvane_library(name SOURCES ... DEPS ...): a static library of one src/ folder.
function(orvane_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)
  target_compile_options(${name} PRIVATE ${ORVANE_WARNINGS})
  if(ARG_DEPS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  endif()
endfunction()

# orvane_test(name SOURCES ... DEPS ... [ENV NAME=value] [TIMEOUT s]): a GoogleTest suite
# registered with CTest test by test. ENV takes one entry: test discovery splits
# a list of them apart.
function(orvane_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;DEPS;ENV" ${ARGN})
  find_package(GTest REQUIRED)
  include(GoogleTest)
  add_executable(${name} ${ARG_SOURCES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_compile_options(${name} PRIVATE ${ORVANE_WARNINGS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    ORVANE_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data"
    ORVANE_BUILD_DIR="${CMAKE_BINARY_DIR}"
    ORVANE_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  gtest_discover_tests(${name}
    WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
    DISCOVERY_TIMEOUT 60
    PROPERTIES TIMEOUT ${ARG_TIMEOUT} ENVIRONMENT "${ARG_ENV}")
endfunction()
