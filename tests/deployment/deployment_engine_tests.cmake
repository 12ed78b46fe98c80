varnik_add_test_binary(deployment_engine_tests
  ${CMAKE_CURRENT_LIST_DIR}/deployment_fixture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/deployment_fixture.h
  ${CMAKE_CURRENT_LIST_DIR}/deployment_folder_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/local_setup_info_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/path_macros_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/shared_deployment_test.cpp)
