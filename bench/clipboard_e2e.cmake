# Clipboard change to history, in the running program and against CopyQ; needs an X display.
add_executable(bench_clipboard_e2e ${CMAKE_CURRENT_LIST_DIR}/bench_clipboard_e2e.cpp)
target_link_libraries(bench_clipboard_e2e PRIVATE qb_app_ui)
target_compile_definitions(bench_clipboard_e2e PRIVATE QUILLBOX_EXE="$<TARGET_FILE:Quillbox>")
add_dependencies(bench_clipboard_e2e Quillbox)
