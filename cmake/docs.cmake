# The manual page and the bash, zsh and fish completions, made at build time by
# gorv_docs from the command tree (so that they always say what the help says), and
# installed beside the program.
if(NOT GORV_DOCS)
  return()
endif()

add_subdirectory(tools/docs)

set(GORV_DOCS_DIR ${PROJECT_BINARY_DIR}/docs)
set(GORV_MAN_PAGE ${GORV_DOCS_DIR}/gorv.1)
set(GORV_BASH_COMPLETION ${GORV_DOCS_DIR}/bash/gorv)
set(GORV_ZSH_COMPLETION ${GORV_DOCS_DIR}/zsh/_gorv)
set(GORV_FISH_COMPLETION ${GORV_DOCS_DIR}/fish/gorv.fish)

set(gorv_docs_outputs)
foreach(kind_and_file IN ITEMS man:${GORV_MAN_PAGE} bash:${GORV_BASH_COMPLETION}
                               zsh:${GORV_ZSH_COMPLETION} fish:${GORV_FISH_COMPLETION})
  string(REPLACE ":" ";" kind_and_file ${kind_and_file})
  list(GET kind_and_file 0 kind)
  list(GET kind_and_file 1 file)
  get_filename_component(folder ${file} DIRECTORY)
  # A completion's hand-written shell code, which the generator places in the file.
  set(shell_code)
  if(NOT kind STREQUAL "man")
    set(shell_code ${PROJECT_SOURCE_DIR}/tools/docs/shell/gorv.${kind})
  endif()
  add_custom_command(OUTPUT ${file}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
                     COMMAND gorv_docs ${kind} ${file} ${shell_code}
                     DEPENDS gorv_docs ${shell_code}
                     COMMENT "Making ${kind} documentation: ${file}")
  list(APPEND gorv_docs_outputs ${file})
endforeach()
add_custom_target(gorv_docs_files ALL DEPENDS ${gorv_docs_outputs})

install(FILES ${GORV_MAN_PAGE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${GORV_BASH_COMPLETION}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES ${GORV_ZSH_COMPLETION} DESTINATION ${CMAKE_INSTALL_DATADIR}/zsh/vendor-completions)
install(FILES ${GORV_FISH_COMPLETION}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/fish/vendor_completions.d)
