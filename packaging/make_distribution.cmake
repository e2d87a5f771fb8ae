# Lays out the distribution folder DEST from the program PROGRAM, its desktop
# program DESKTOP, the uninstaller REMOVE and the data folder DATA (STRIP,
# when given, takes the debugging information out of the programs):
#   setup, vorn1-desktop, remove, readme.txt, license.txt, help.html,
#   brenit.gif, logo.gif, vorn_set.txt, orvane.png, vtdata/, help/
foreach(var PROGRAM DESKTOP REMOVE DATA DEST)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "make_distribution.cmake: ${var} is not set")
  endif()
endforeach()

include(${CMAKE_CURRENT_LIST_DIR}/data_files.cmake)
set(files readme.txt ${orvane_data_files})
set(folders ${orvane_data_folders})
foreach(name ${files} ${folders})
  if(NOT EXISTS ${DATA}/${name})
    message(FATAL_ERROR "The distribution is incomplete: ${DATA}/${name} is missing")
  endif()
endforeach()

file(REMOVE_RECURSE ${DEST})
file(MAKE_DIRECTORY ${DEST})
set(program_permissions OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
    WORLD_READ WORLD_EXECUTE)
file(COPY_FILE ${PROGRAM} ${DEST}/setup)
file(COPY_FILE ${DESKTOP} ${DEST}/vorn1-desktop)
file(COPY_FILE ${REMOVE} ${DEST}/remove)
set(programs ${DEST}/setup ${DEST}/vorn1-desktop ${DEST}/remove)
file(CHMOD ${programs} PERMISSIONS ${program_permissions})
# The programs ship without their debugging information.
if(STRIP)
  execute_process(COMMAND ${STRIP} --strip-debug ${programs}
                  RESULT_VARIABLE strip_result)
  if(NOT strip_result EQUAL 0)
    message(WARNING "Could not strip the programs: ${strip_result}")
  endif()
endif()
foreach(name ${files})
  file(COPY_FILE ${DATA}/${name} ${DEST}/${name})
endforeach()
foreach(name ${folders})
  file(COPY ${DATA}/${name} DESTINATION ${DEST})
endforeach()
message(STATUS "Distribution laid out in ${DEST}")
