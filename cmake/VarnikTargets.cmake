# Settings every target of ours shares: warnings as errors on all three
# targets, and self-contained Windows binaries.
function(varnik_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
  if(WIN32)
    target_compile_definitions(${target} PRIVATE
      WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
    # No MinGW runtime DLLs beside our binaries.
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
  endif()
endfunction()

# Gives a Windows executable or DLL the loader's version resource.
function(varnik_version_resource target description original_name)
  if(NOT WIN32)
    return()
  endif()
  set(VARNIK_RC_DESCRIPTION "${description}")
  set(VARNIK_RC_ORIGINAL_NAME "${original_name}")
  set(rc "${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc")
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in "${rc}" @ONLY)
  target_sources(${target} PRIVATE "${rc}")
endfunction()
