# quelo_version_resource(TARGET DESCRIPTION): gives a Windows program a version
# resource carrying the project's version.
function(quelo_version_resource target description)
  set(QUELO_RC_NAME ${target})
  set(QUELO_RC_DESCRIPTION ${description})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}-version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
