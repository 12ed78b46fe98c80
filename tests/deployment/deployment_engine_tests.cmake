varnik_add_test_binary(deployment_engine_tests
  ${CMAKE_CURRENT_LIST_DIR}/deployment_fixture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/deployment_fixture.h
  ${CMAKE_CURRENT_LIST_DIR}/deployment_folder_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/local_setup_info_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/path_macros_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shared_deployment_test.cpp)

# The loader stand-in that the tests run several of at once.
add_executable(deployment_recorder ${CMAKE_CURRENT_LIST_DIR}/deployment_recorder.cpp)
target_link_libraries(deployment_recorder PRIVATE varnik_core)
varnik_target_defaults(deployment_recorder)
add_dependencies(deployment_engine_tests deployment_recorder)
target_compile_definitions(deployment_engine_tests PRIVATE
  VARNIK_DEPLOYMENT_RECORDER="$<TARGET_FILE:deployment_recorder>")
