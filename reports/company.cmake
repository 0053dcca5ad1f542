# The company details window. Included from the top level so that it stays out
# of the report engine's own CMakeLists.txt.
add_library(verolan_company STATIC
  ${CMAKE_CURRENT_LIST_DIR}/frm_companydetails.h
  ${CMAKE_CURRENT_LIST_DIR}/frm_companydetails.cpp)
target_include_directories(verolan_company PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(verolan_company PUBLIC verolan_toolkit)
