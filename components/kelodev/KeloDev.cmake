# kelodev12.dll, the USB device library stand-in: built beside the test programs (which load it
# by name from their own folder) and copied beside the tool.
add_library(kelodev12 SHARED ${CMAKE_SOURCE_DIR}/components/kelodev/KeloDev.cpp)
set_target_properties(kelodev12 PROPERTIES PREFIX "" OUTPUT_NAME kelodev12
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
target_include_directories(kelodev12 PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(kelodev12 PRIVATE ${KELO_WARNINGS})
target_link_libraries(kelodev12 PRIVATE ws2_32)
add_custom_command(TARGET kelodev12 POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KELO_DIST_DIR}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:kelodev12> ${KELO_DIST_DIR})
