# Fuzz target for zeltool's database reader, dump, map and decompiler.
add_executable(zeltool_fuzz ${CMAKE_CURRENT_SOURCE_DIR}/zeltool_fuzz.cpp)
target_link_libraries(zeltool_fuzz PRIVATE zeltool_lib)
target_link_options(zeltool_fuzz PRIVATE -fsanitize=fuzzer)
