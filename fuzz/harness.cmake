# The fuzz harnesses as a library. The fuzz targets link it, and so do the
# regression tests that replay minimised findings; `doubles` is the library
# that provides the in-memory doubles of tests/support.
function(add_fuzz_harness doubles)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/fuzz/harness/*.cpp)
  add_library(fuzz_harness STATIC ${sources})
  target_include_directories(fuzz_harness PUBLIC ${CMAKE_SOURCE_DIR}/fuzz)
  target_link_libraries(fuzz_harness PUBLIC ${doubles})
endfunction()
