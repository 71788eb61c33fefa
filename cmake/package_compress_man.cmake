# Run by cpack after it has installed into its staging folder: Debian keeps manual pages
# compressed with gzip -9n (no name, no time stamp, so the package is reproducible).
file(GLOB_RECURSE gorv_man_pages "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/man/man?/*.[1-9]")
foreach(page IN LISTS gorv_man_pages)
  execute_process(COMMAND gzip -9nf "${page}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip ${page} failed")
  endif()
endforeach()
