# The window's benchmarks: the log's speed and the start-up time.
add_executable(bench_log log_memo.cpp)
target_link_libraries(bench_log PRIVATE mainwin)

add_executable(bench_startup startup_time.cpp)
target_link_libraries(bench_startup PRIVATE Qt6::Core)
# The reference it measures folivant against, in the same run.
add_executable(bench_minimal_window minimal_window.cpp)
target_link_libraries(bench_minimal_window PRIVATE Qt6::Widgets)
add_dependencies(bench_startup folivant folivant-interpreter bench_minimal_window)
target_include_directories(bench_log PRIVATE ${CMAKE_SOURCE_DIR}/tests)
