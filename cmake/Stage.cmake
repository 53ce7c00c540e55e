# Lays out an installation the way the program expects it (run with cmake -P):
#   <STAGE>/config.ini
#   <STAGE>/<VERSION>/zovwx1v1_Student  with res/, stylesheet/, langs/ and the helper programs
foreach(var STAGE VERSION SOURCE_DIR PROGRAMS TRANSLATIONS)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "Stage.cmake needs -D${var}=...")
  endif()
endforeach()

set(version_dir ${STAGE}/${VERSION})
file(MAKE_DIRECTORY ${version_dir}/langs)

string(REPLACE "|" ";" program_list "${PROGRAMS}")
foreach(program ${program_list})
  file(COPY ${program} DESTINATION ${version_dir}
       FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                        WORLD_READ WORLD_EXECUTE)
endforeach()

string(REPLACE "|" ";" translation_list "${TRANSLATIONS}")
foreach(qm ${translation_list})
  file(COPY ${qm} DESTINATION ${version_dir}/langs)
endforeach()

file(COPY ${SOURCE_DIR}/res/ DESTINATION ${version_dir}/res)
file(COPY ${SOURCE_DIR}/stylesheet/ DESTINATION ${version_dir}/stylesheet)

# The installer writes config.ini once; a stage that already has one keeps it, so a
# staged update survives the next build.
if(NOT EXISTS ${STAGE}/config.ini)
  file(WRITE ${STAGE}/config.ini "[version]\nver=${VERSION}\nnumber=0\n")
endif()
