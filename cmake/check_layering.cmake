# Checks the include arrows between the folders of src/ (cmake -DSRC=<src> -P
# check_layering.cmake). Every #include "folder/..." must name a folder that
# the including folder may use, and no engine folder may include Qt. Prints
# each forbidden include as "file: folder may not include header" and
# fails when there is one. The libraries named after DEPS in each folder's
# CMakeLists.txt (orvane_<folder>) are held to the same arrows, and a tree
# in which no source file is found fails too: a wrong path must not pass.
#
#   core <- files <- html <- project, template <- toc <- driver <- app
#                                                       the engine, no Qt
#   desktop                                             the Qt kit, no engine
#   gui, setup: the engine below app, and desktop
#   vorn1: everything (the programs are put together there)

set(allowed_core "")
set(allowed_files core)
set(allowed_html core files)
set(allowed_project core files html)
set(allowed_template core files html)
set(allowed_toc core files html project template)
set(allowed_driver core files html project template toc)
set(allowed_app core files html project template toc driver)
set(allowed_desktop "")
set(allowed_gui core files html project template toc driver desktop)
set(allowed_setup core files html project template toc driver desktop)
set(allowed_vorn1 core files html project template toc driver app desktop gui setup)
set(engine core files html project template toc driver app)

if(NOT IS_DIRECTORY "${SRC}")
  message(FATAL_ERROR "no source folder: pass -DSRC=<path to src>")
endif()
file(REAL_PATH "${SRC}" SRC)

file(GLOB_RECURSE sources RELATIVE "${SRC}" "${SRC}/*.h" "${SRC}/*.cpp")
list(SORT sources)
set(violations 0)
foreach(file IN LISTS sources)
  string(REGEX MATCH "^[^/]+" folder "${file}")
  if(NOT DEFINED allowed_${folder})
    message("src/${file}: folder ${folder} has no place in the layering")
    math(EXPR violations "${violations} + 1")
    continue()
  endif()
  set(may_use ${folder} ${allowed_${folder}})
  list(FIND engine ${folder} engine_index)
  file(STRINGS "${SRC}/${file}" lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS lines)
    if(line MATCHES "#[ \t]*include[ \t]*\"([^/\"]+)/[^\"]*\"")
      list(FIND may_use ${CMAKE_MATCH_1} used_index)
      if(used_index EQUAL -1)
        string(REGEX MATCH "\"[^\"]*\"" header "${line}")
        message("src/${file}: ${folder} may not include ${header}")
        math(EXPR violations "${violations} + 1")
      endif()
    elseif(line MATCHES "#[ \t]*include[ \t]*<(Q[A-Za-z]*|qt[a-z]*)[/>]" AND NOT engine_index EQUAL -1)
      message("src/${file}: ${folder} is engine code and may not include Qt <${CMAKE_MATCH_1}>")
      math(EXPR violations "${violations} + 1")
    endif()
  endforeach()
endforeach()

# The libraries a folder links: the words orvane_<folder> in its CMakeLists.txt.
file(GLOB lists RELATIVE "${SRC}" "${SRC}/*/CMakeLists.txt")
foreach(list_file IN LISTS lists)
  string(REGEX MATCH "^[^/]+" folder "${list_file}")
  if(NOT DEFINED allowed_${folder})
    continue()
  endif()
  file(READ "${SRC}/${list_file}" text)
  string(REGEX MATCHALL "orvane_[a-z0-9]+" linked "${text}")
  list(REMOVE_DUPLICATES linked)
  foreach(library IN LISTS linked)
    string(REPLACE "orvane_" "" used "${library}")
    if(used STREQUAL folder OR NOT DEFINED allowed_${used})
      continue()
    endif()
    list(FIND allowed_${folder} ${used} used_index)
    if(used_index EQUAL -1)
      message("src/${list_file}: ${folder} may not link ${library}")
      math(EXPR violations "${violations} + 1")
    endif()
  endforeach()
endforeach()

list(LENGTH sources count)
if(count EQUAL 0)
  message(FATAL_ERROR "no source file under ${SRC}: nothing was checked")
endif()
if(violations GREATER 0)
  message(FATAL_ERROR "${violations} forbidden include(s) or link(s)")
endif()
message("layering: ${count} files, every include allowed")
