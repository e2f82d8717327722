# The fuzz harnesses as one library, defined here once for its two users:
# the fuzz targets (fuzz/) and the regression tests that replay minimised
# findings (tests/); both directories include this file. The harnesses run
# against the in-memory doubles of tests/support: where the tests are built
# they link test_support, so a program holding both gets one copy of each
# double; a build without tests compiles only the support files they use.
include_guard(GLOBAL)

function(define_fuzz_harness)
  if(VIEWER_BUILD_TESTS)
    set(doubles test_support)
  else()
    set(support ${CMAKE_SOURCE_DIR}/tests/support)
    add_library(fuzz_doubles STATIC
      ${support}/memory_files.cpp ${support}/fake_shell.cpp ${support}/render_text_double.cpp
      ${support}/bmp_builder.cpp ${support}/jpeg_builder.cpp)
    target_include_directories(fuzz_doubles PUBLIC ${CMAKE_SOURCE_DIR}/tests)
    target_link_libraries(fuzz_doubles PUBLIC viewer_core)
    set(doubles fuzz_doubles)
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/harness/*.cpp)
  add_library(fuzz_harness STATIC ${sources})
  target_include_directories(fuzz_harness PUBLIC ${CMAKE_CURRENT_FUNCTION_LIST_DIR})
  target_link_libraries(fuzz_harness PUBLIC ${doubles})
endfunction()

define_fuzz_harness()
