# The deterministic workload generator, shared by the benchmarks and the demo-data maker.
# Included from both places; the guard makes the first inclusion define it.
include_guard(GLOBAL)

add_library(workload STATIC ${CMAKE_CURRENT_LIST_DIR}/Workload.cpp ${CMAKE_CURRENT_LIST_DIR}/Workload.h)
target_include_directories(workload PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(workload PUBLIC storage)
