# The window's benchmarks: the log's speed and the start-up time.
add_executable(bench_log log_memo.cpp)
target_link_libraries(bench_log PRIVATE mainwin)

add_executable(bench_startup startup_time.cpp)
target_link_libraries(bench_startup PRIVATE Qt6::Core)
add_dependencies(bench_startup folivant)
target_include_directories(bench_log PRIVATE ${CMAKE_SOURCE_DIR}/tests)
