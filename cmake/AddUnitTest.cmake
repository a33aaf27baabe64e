# add_unit_test(NAME <name> SOURCES <files...> LIBS <targets...> [GUI])
#
# The one way a test joins the build: a GoogleTest executable registered with
# ctest, in <build>/tests/. It runs the same by hand as under ctest. A GUI
# test links the GUI test support, which makes one Qt application on the
# offscreen platform (unless QT_QPA_PLATFORM is set), so no display is needed.
find_package(GTest REQUIRED)

function(add_unit_test)
  cmake_parse_arguments(T "GUI" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} test_support tobrik_flags GTest::gtest GTest::gtest_main
                                             GTest::gmock)
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(T_GUI)
    target_link_libraries(${T_NAME} PRIVATE gui_test_support)
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set(env)
  if(TOBRIK_SANITIZE)
    # Leaks inside system libraries are suppressed however ctest is started;
    # the variable also reaches the programs a test starts.
    list(APPEND env "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/tests/lsan.supp:print_suppressions=0")
  endif()
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT 300)
  if(env)
    set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${env}")
  endif()
endfunction()

# add_unit_tests_in_dir(LIBS <targets...> [GUI])
#
# Registers every *_test.cpp of the calling folder as its own test executable.
function(add_unit_tests_in_dir)
  cmake_parse_arguments(D "GUI" "" "LIBS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  file(GLOB helpers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/support/*.cpp)
  foreach(src IN LISTS srcs)
    get_filename_component(name ${src} NAME_WE)
    if(D_GUI)
      add_unit_test(NAME ${name} SOURCES ${src} ${helpers} LIBS ${D_LIBS} GUI)
    else()
      add_unit_test(NAME ${name} SOURCES ${src} ${helpers} LIBS ${D_LIBS})
    endif()
  endforeach()
endfunction()
