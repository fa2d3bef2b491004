# corvanel_built_files(target NAME value [NAME value ...]): the paths a test or benchmark
# runs or reads (a program, a library, a data folder), defined under the names declared in
# tests/support/BuiltFiles.h by one small source the build writes for the target. A path
# passed as a macro on the command line would sit in every unit of the target and make
# another checkout's compilations differ from this one's, so that ccache could serve none.
function(corvanel_built_files target)
  set(content "// Written by the build: the paths ${target} runs or reads.\n")
  string(APPEND content "#include \"tests/support/BuiltFiles.h\"\n\nnamespace built {\n")
  set(args ${ARGN})
  while(args)
    list(POP_FRONT args name value)
    string(APPEND content "const char ${name}[] = \"${value}\";\n")
  endwhile()
  string(APPEND content "} // namespace built\n")
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_built_files.cpp)
  file(GENERATE OUTPUT ${out} CONTENT "${content}")
  target_sources(${target} PRIVATE ${out})
  set_source_files_properties(${out} TARGET_DIRECTORY ${target} PROPERTIES SKIP_PRECOMPILE_HEADERS ON SKIP_AUTOMOC ON)
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR})
endfunction()
