# Folders as layered targets: a folder may include only the folders its target links.
#
# Each layer is one library target made from the sources directly in one folder. Its
# headers are not reached through the source root but through an include root of the
# target's own in the build tree, which holds a single link named after the folder:
#
#     <build>/include-roots/<target>/<folder>  ->  <source>/<folder>
#
# That root is the target's PUBLIC include directory, so it travels along the links that
# target_link_libraries declares and nowhere else. A target therefore sees the headers of
# its own folder and of every layer it links, directly or through another layer; an
# include of any other folder's header fails to compile ("No such file or directory").
# An include that runs back up cannot be written without first declaring the dependency,
# where a reviewer sees it.
#
# What keeps this true:
# - includes are written from the source root ("platform/db/Table.h", "data/Queries.h"),
#   or by bare name within the same folder; a path climbing out with "../" would reach
#   round the roots;
# - a layer target is never given the plain source root as an include directory, and
#   links nothing that publishes it (corvanel_add_layer_probe turns a leak into a failing
#   test).
#
# Each layer also has an interface target <target>Headers that carries its include root and
# those of the layers it uses, and nothing to link: a folder of the add-on links the one
# framework library for its code and only the framework layers it may see for headers.
#
# Use:
#   corvanel_add_layer(FrameworkDb platform/db)          # OBJECT by default
#   corvanel_layer_uses(FrameworkDb FrameworkConfig Qt6::Sql)
#   corvanel_add_layer(PelmarisCore host STATIC EXCLUDE main.cpp)
#   corvanel_add_header_check(FrameworkDb ...)           # each header compiles alone
#   corvanel_add_layer_probe(NAME layers.db_cannot_see_ui LAYER FrameworkDb HEADER platform/ui/Form.h)

include_guard(GLOBAL)

# corvanel_add_layer(<target> <folder> [OBJECT|STATIC|SHARED] [EXCLUDE <file>...])
# <folder> is relative to the source root, spelt as includes spell it. The target's sources
# are the folder's *.cpp and *.h but those EXCLUDEd (a program's main(), built on its own);
# subfolders are layers of their own, or nothing.
function(corvanel_add_layer target folder)
  cmake_parse_arguments(LAYER "OBJECT;STATIC;SHARED" "" "EXCLUDE" ${ARGN})
  set(type OBJECT)
  foreach(kind STATIC SHARED)
    if(LAYER_${kind})
      set(type ${kind})
    endif()
  endforeach()
  set(dir ${CMAKE_SOURCE_DIR}/${folder})
  if(NOT IS_DIRECTORY ${dir})
    message(FATAL_ERROR "corvanel_add_layer(${target}): no folder ${folder}")
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h)
  foreach(excluded IN LISTS LAYER_EXCLUDE)
    list(REMOVE_ITEM sources ${dir}/${excluded})
  endforeach()
  add_library(${target} ${type} ${sources})

  set(root ${CMAKE_BINARY_DIR}/include-roots/${target})
  set(link ${root}/${folder})
  get_filename_component(parent ${link} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  # A build folder configured before from another checkout keeps a link to that one.
  if(IS_SYMLINK ${link})
    file(READ_SYMLINK ${link} linked)
    if(NOT linked STREQUAL dir)
      file(REMOVE ${link})
    endif()
  endif()
  if(NOT IS_SYMLINK ${link})
    file(CREATE_LINK ${dir} ${link} SYMBOLIC)
  endif()
  add_library(${target}Headers INTERFACE)
  target_include_directories(${target}Headers INTERFACE $<BUILD_INTERFACE:${root}>)
  target_link_libraries(${target} PUBLIC ${target}Headers)
endfunction()

# corvanel_layer_uses(<target> <dependency>...)
# The layer's public dependencies: other layers (their code and headers) or libraries. The
# layer's Headers target takes the same dependencies, as headers alone where they are layers.
function(corvanel_layer_uses target)
  target_link_libraries(${target} PUBLIC ${ARGN})
  set(headers)
  foreach(dependency IN LISTS ARGN)
    if(TARGET ${dependency}Headers)
      list(APPEND headers ${dependency}Headers)
    else()
      list(APPEND headers ${dependency})
    endif()
  endforeach()
  target_link_libraries(${target}Headers INTERFACE ${headers})
endfunction()

# corvanel_add_header_check(<target>...)
# Each header among each target's sources compiles on its own, built with the target's own
# include path: a header that leans on what its includer happened to include first, or that
# includes a folder its layer does not link, fails the build. Most headers are checked by
# their own source already: X.cpp beside X.h whose first include is X.h compiles X.h with
# nothing before it (the layers have no precompiled headers for that reason), so a unit of
# its own would parse the same Qt headers a second time for nothing. That holds only where
# the target compiles with what its includers see: a target with a private dependency (a
# library or include folder of its own, as the reports' spreadsheet writer) could hide a
# header's reliance on it, so its headers all get units. Every other header gets
# a translation unit that includes it twice and nothing else, its include guard checked too;
# every header's guard is checked by the test layers.HeadersGuarded. Which source comes first
# is read when CMake configures (a fresh build, as CI's, always reads it anew). A header is
# included by its path from the source root, so any target whose headers are included that
# way can be checked, layer or not. The units make an object library <target>HeaderCheck.
# The sanitized build leaves the check to the normal one: nothing of it runs.
function(corvanel_add_header_check)
  if(CORVANEL_SANITIZE)
    return()
  endif()
  get_property(guardTest GLOBAL PROPERTY CORVANEL_HEADER_GUARD_TEST SET)
  if(NOT guardTest)
    set_property(GLOBAL PROPERTY CORVANEL_HEADER_GUARD_TEST TRUE)
    # Once every folder has named its headers: at the end of the top folder.
    cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL _corvanel_add_header_guard_test)
  endif()
  foreach(target IN LISTS ARGN)
    get_target_property(sources ${target} SOURCES)
    get_target_property(sourceDir ${target} SOURCE_DIR)
    # What the target's own sources compile with beyond what it passes on to its includers.
    get_target_property(linked ${target} LINK_LIBRARIES)
    get_target_property(passed ${target} INTERFACE_LINK_LIBRARIES)
    get_target_property(ownIncludes ${target} INCLUDE_DIRECTORIES)
    set(foldable TRUE)
    if(ownIncludes)
      set(foldable FALSE)
    endif()
    foreach(library IN LISTS linked)
      if(NOT library IN_LIST passed)
        set(foldable FALSE)
      endif()
    endforeach()
    set(units)
    foreach(source IN LISTS sources)
      if(source MATCHES "\\.h$")
        get_filename_component(source ${source} ABSOLUTE BASE_DIR ${sourceDir})
        file(RELATIVE_PATH header ${CMAKE_SOURCE_DIR} ${source})
        set_property(GLOBAL APPEND PROPERTY CORVANEL_CHECKED_HEADERS ${source})
        string(REGEX REPLACE "\\.h$" ".cpp" own ${source})
        if(foldable AND own IN_LIST sources)
          file(STRINGS ${own} first REGEX "^#include " LIMIT_COUNT 1)
          get_filename_component(name ${header} NAME)
          if(first MATCHES "^#include \"(${header}|${name})\"")
            continue()
          endif()
        endif()
        string(MAKE_C_IDENTIFIER ${header} stem)
        set(unit ${CMAKE_CURRENT_BINARY_DIR}/header-check/${target}/${stem}.cpp)
        file(CONFIGURE OUTPUT ${unit} CONTENT "#include \"${header}\"\n#include \"${header}\"\n")
        list(APPEND units ${unit})
      endif()
    endforeach()
    if(units)
      add_library(${target}HeaderCheck OBJECT ${units})
      target_link_libraries(${target}HeaderCheck PRIVATE ${target})
      # Compiling is the check: nothing here is moc'ed or linked.
      set_target_properties(${target}HeaderCheck PROPERTIES AUTOMOC OFF)
    endif()
  endforeach()
endfunction()

function(_corvanel_add_header_guard_test)
  get_property(headers GLOBAL PROPERTY CORVANEL_CHECKED_HEADERS)
  list(JOIN headers "\n" listed)
  set(list ${CMAKE_BINARY_DIR}/checked-headers.txt)
  file(CONFIGURE OUTPUT ${list} CONTENT "${listed}\n")
  add_test(NAME layers.HeadersGuarded
    COMMAND ${CMAKE_COMMAND} -DHEADERS=${list} -P ${CMAKE_SOURCE_DIR}/cmake/HeaderGuards.cmake)
endfunction()

# corvanel_add_layer_probe(NAME <test> LAYER <layer target> HEADER <folder/Header.h>)
# A test that compiles an include of HEADER with LAYER's include directories and passes
# only when the compiler cannot find it: proof that the layer does not see that folder,
# which would stop being true if the source root leaked into its include path.
function(corvanel_add_layer_probe)
  cmake_parse_arguments(PROBE "" "NAME;LAYER;HEADER" "" ${ARGN})
  string(MAKE_C_IDENTIFIER ${PROBE_NAME} stem)
  set(unit ${CMAKE_CURRENT_BINARY_DIR}/layer-probes/${stem}.cpp)
  file(CONFIGURE OUTPUT ${unit} CONTENT "#include \"${PROBE_HEADER}\"\n")
  set(includes $<TARGET_PROPERTY:${PROBE_LAYER},INCLUDE_DIRECTORIES>)
  add_test(NAME ${PROBE_NAME}
    COMMAND ${CMAKE_CXX_COMPILER} -std=c++20 -fsyntax-only "$<$<BOOL:${includes}>:-I$<JOIN:${includes},;-I>>" ${unit}
    COMMAND_EXPAND_LISTS)
  set_tests_properties(${PROBE_NAME} PROPERTIES
    PASS_REGULAR_EXPRESSION "${PROBE_HEADER}: No such file or directory")
endfunction()
