# The installer benchmark. Either include() this file from bench's own
# CMakeLists.txt, or configure with
#   -DCMAKE_PROJECT_Folivant_INCLUDE=<path of this file>
# (bench/install_bench.sh does the latter). The target is defined once the
# whole tree is read, when the step libraries exist.
function(folivant_add_install_bench)
  if(TARGET install_bench OR NOT TARGET installsteps OR NOT TARGET uninstallsteps)
    return()
  endif()
  add_executable(install_bench ${FOLIVANT_INSTALL_BENCH_DIR}/install_bench.cpp)
  target_link_libraries(install_bench PRIVATE installsteps uninstallsteps Qt6::Core)
  set_target_properties(install_bench PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
endfunction()

set(FOLIVANT_INSTALL_BENCH_DIR ${CMAKE_CURRENT_LIST_DIR} CACHE INTERNAL "")
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL folivant_add_install_bench)
