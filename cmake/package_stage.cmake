# Run by cpack after it has installed into its staging folder, as Debian's packaging
# tools would: manual pages and the changelog compressed with gzip -9n (no name, no time
# stamp, so the package is reproducible), the notes and the compiler's comment that a
# program does not need stripped from the binaries, and the package's lintian overrides
# added.
file(GLOB_RECURSE gorv_compressed
     "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/man/man?/*.[1-9]"
     "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/doc/*/changelog")
foreach(file IN LISTS gorv_compressed)
  execute_process(COMMAND gzip -9nf "${file}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "gzip ${file} failed")
  endif()
endforeach()

file(GLOB gorv_programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/bin/*")
foreach(program IN LISTS gorv_programs)
  execute_process(COMMAND "${CPACK_GORV_STRIP}" --remove-section=.comment --remove-section=.note
                          "${program}"
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "strip ${program} failed")
  endif()
endforeach()

set(gorv_overrides "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/share/lintian/overrides")
file(MAKE_DIRECTORY "${gorv_overrides}")
file(COPY_FILE "${CPACK_GORV_LINTIAN_OVERRIDES}" "${gorv_overrides}/${CPACK_PACKAGE_NAME}")
