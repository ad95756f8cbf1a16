find_package(X11 REQUIRED)
add_executable(bench_startup ${CMAKE_CURRENT_LIST_DIR}/bench_startup.cpp)
target_link_libraries(bench_startup PRIVATE qb_platform X11::X11 X11::Xtst)
add_dependencies(bench_startup Quillbox)
