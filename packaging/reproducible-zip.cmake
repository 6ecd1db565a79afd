# Run by CPack after it made a zip. Its ZIP generator (libarchive) takes the entries' times
# from SOURCE_DATE_EPOCH when that is set, but adds the files in the order in which the file
# system lists the staging folder, which differs between file systems and folders. The zip is
# written again from the same staged files in sorted order, with the same time for every
# entry, so that the same files always give the same bytes.
cmake_minimum_required(VERSION 3.25)
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  message(FATAL_ERROR "reproducible-zip: SOURCE_DATE_EPOCH is not set (tools/release.sh sets it)")
endif()
# The zip's DOS times are local times: one zone for every build.
set(ENV{TZ} UTC)
get_filename_component(stage_parent "${CPACK_TEMPORARY_DIRECTORY}" DIRECTORY)
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${stage_parent}"
       "${CPACK_TEMPORARY_DIRECTORY}/*")
  list(SORT files)
  list(JOIN files "\n" listing)
  file(WRITE "${package}.files" "${listing}\n")
  file(REMOVE "${package}")
  execute_process(COMMAND ${CMAKE_COMMAND} -E tar cf "${package}" --format=zip
                          "--files-from=${package}.files"
                  WORKING_DIRECTORY "${stage_parent}" RESULT_VARIABLE failed)
  file(REMOVE "${package}.files")
  if(failed)
    file(REMOVE "${package}")
    message(FATAL_ERROR "reproducible-zip: cannot write ${package}")
  endif()
endforeach()
