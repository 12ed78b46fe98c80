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

# varnik_cross_fixture(<output dll> <compiler> <source> [<rc> <windres>]):
# a Windows DLL for the tests of a native build, made with a cross compiler
# and, given an rc file, its resource. windres preprocesses with the same
# cross compiler, so nothing depends on which mingw-w64 flavour the plain
# gcc name points at.
function(varnik_cross_fixture output compiler source)
  set(resource_commands "")
  set(resource "")
  set(depends ${source})
  if(ARGC GREATER 4)
    set(resource ${output}.res.o)
    set(resource_commands COMMAND ${ARGV4} --preprocessor=${compiler} --preprocessor-arg=-E
        --preprocessor-arg=-xc-header --preprocessor-arg=-DRC_INVOKED
        -O coff -i ${ARGV3} -o ${resource})
    list(APPEND depends ${ARGV3})
  endif()
  get_filename_component(name ${output} NAME)
  add_custom_command(OUTPUT ${output}
    ${resource_commands}
    COMMAND ${compiler} -shared -s -O2 -Wall -Wextra -Werror -o ${output} ${source} ${resource}
    DEPENDS ${depends}
    COMMENT "Building the test fixture ${name}"
    VERBATIM)
endfunction()
