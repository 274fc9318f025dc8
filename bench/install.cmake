# The installer benchmark, included from bench/CMakeLists.txt (bench is added
# after the setup programs, so their step libraries exist here).
add_executable(install_bench ${CMAKE_CURRENT_LIST_DIR}/install_bench.cpp)
target_link_libraries(install_bench PRIVATE installsteps uninstallsteps Qt6::Core)
