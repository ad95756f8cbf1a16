add_executable(bench_memowatch ${CMAKE_CURRENT_LIST_DIR}/bench_memowatch.cpp)
target_link_libraries(bench_memowatch PRIVATE qb_app_ui)
target_compile_definitions(bench_memowatch PRIVATE QUILLBOX_EXE="$<TARGET_FILE:Quillbox>")
add_dependencies(bench_memowatch Quillbox)
