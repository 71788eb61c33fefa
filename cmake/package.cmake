# The Debian package, made with `cpack -G DEB` in the build folder: the program, its
# manual page and changelog (compressed, as Debian wants them), the shell completions
# and the copyright file, with the dependencies worked out from the binary by
# dpkg-shlibdeps.
if(NOT GORV_PACKAGE)
  return()
endif()

set(GORV_MAINTAINER "The gorv maintainers <maintainers@users.noreply.c-seed-f7b6ed57.example>"
    CACHE STRING "The package's maintainer: a name and an address in angle brackets")
set(GORV_LICENSE "MIT" CACHE STRING "The licence's short name in the copyright file")

# The copyright file in Debian's machine-readable form: the licence's name and its text.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE gorv_license_text)
string(REGEX REPLACE "\n$" "" gorv_license_text "${gorv_license_text}")
string(REGEX REPLACE "\n\n" "\n.\n" gorv_license_text "${gorv_license_text}")
string(REGEX REPLACE "\n" "\n " gorv_license_text "${gorv_license_text}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/copyright.in ${PROJECT_BINARY_DIR}/copyright @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The changelog in Debian's form; the package holds it compressed.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/changelog DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME gorv)
set(CPACK_PACKAGE_CONTACT "${GORV_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "2D matrix screensaver for the terminal")
# The long description in lines of Debian's width.
set(CPACK_PACKAGE_DESCRIPTION
    "gorv fills a character terminal with symbols that flicker in place or fall\n\
down the screen in drops, until a key is pressed or a chosen duration has\n\
passed. It draws binary, decimal or hexadecimal digits or half-width katakana\n\
in six styles, in one colour with optional accents, and can serve as the lock\n\
screen of tmux.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_GORV_STRIP "${CMAKE_STRIP}")
set(CPACK_GORV_LINTIAN_OVERRIDES ${CMAKE_CURRENT_LIST_DIR}/lintian-overrides)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/package_stage.cmake)
include(CPack)
