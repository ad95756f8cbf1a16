add_executable(bench_memo ${CMAKE_CURRENT_LIST_DIR}/bench_memo.cpp)
target_link_libraries(bench_memo PRIVATE qb_app_core)
