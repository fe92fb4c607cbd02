# aerolyx_folder_library(<target> [QT]): one static library from the *.cpp of
# the current folder; files named main_*.cpp are executables and left out.
function(aerolyx_folder_library target)
  file(GLOB src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER src EXCLUDE REGEX "/main_[^/]*\\.cpp$")
  set(placeholder FALSE)
  if(NOT src)
    set(src ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
    set(placeholder TRUE)
  endif()
  add_library(${target} STATIC ${src})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  set_target_properties(${target} PROPERTIES AEROLYX_PLACEHOLDER ${placeholder})
endfunction()

# aerolyx_folder_links(<target> <libs...>): target_link_libraries(PUBLIC) for
# a folder that may still be empty. A library without code of its own links
# nothing, so that an empty folder pulls no packages into whoever links it;
# the line is written as it must be once the code arrives.
function(aerolyx_folder_links target)
  get_target_property(placeholder ${target} AEROLYX_PLACEHOLDER)
  if(NOT placeholder)
    target_link_libraries(${target} PUBLIC ${ARGN})
  endif()
endfunction()

# aerolyx_folder_executables(<lib>): every main_<name>.cpp of the folder
# becomes the executable <name> ("_" -> "-"), linked against <lib>.
function(aerolyx_folder_executables lib)
  file(GLOB mains CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/main_*.cpp)
  foreach(m ${mains})
    get_filename_component(n ${m} NAME_WE)
    string(REPLACE "main_" "" exe ${n})
    string(REPLACE "_" "-" exe ${exe})
    add_executable(${exe} ${m})
    target_link_libraries(${exe} PRIVATE ${lib} ${ARGN})
    if(TARGET aerolyx_data)
      add_dependencies(${exe} aerolyx_data)
    endif()
  endforeach()
endfunction()

# aerolyx_folder_tests(<folder> [LOCK <resource>] <libs...>): one GoogleTest
# executable per test folder from its test_*.cpp, registered with CTest. Tests
# of folders naming the same LOCK never run at the same time (the PostgreSQL
# test server, which one test stops and starts again).
function(aerolyx_folder_tests folder)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "LOCK" "")
  set(lock "")
  if(arg_LOCK)
    set(lock RESOURCE_LOCK ${arg_LOCK})
  endif()
  file(GLOB src CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT src)
    return()
  endif()
  set(exe tests_${folder})
  add_executable(${exe} ${src})
  target_link_libraries(${exe} PRIVATE ${arg_UNPARSED_ARGUMENTS} aerolyx_testsupport GTest::gtest GTest::gmock GTest::gtest_main)
  set_target_properties(${exe} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(TARGET aerolyx_data)
    add_dependencies(${exe} aerolyx_data)
  endif()
  # One variable only: the discovery splits a list-valued property into
  # separate values. The tests' GUI applications default to offscreen.
  gtest_discover_tests(${exe} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
    PROPERTIES ${lock} ENVIRONMENT "AEROLYX_SETTINGS_DIR=${CMAKE_BINARY_DIR}/test-settings")
endfunction()
