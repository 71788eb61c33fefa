# Flags for every target, before any is made.

# File names inside the objects are written relative to the source and build folders, so
# that two builds of the same source in different folders are alike. The build folder's
# map comes last, as the last matching map wins and the build folder may lie inside the
# source folder.
add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.
                    -ffile-prefix-map=${PROJECT_BINARY_DIR}=.)

# The hardening that Debian gives its packages by default (dpkg-buildflags, with
# bindnow): stack protection, the checked libc calls of _FORTIFY_SOURCE at an optimised
# build, and a relocation table that is resolved at start-up and then read-only.
option(GORV_HARDENING "Build with Debian's default hardening flags" ON)
if(NOT GORV_HARDENING)
  return()
endif()
add_compile_options(-fstack-protector-strong)
# _FORTIFY_SOURCE needs optimisation, and the sanitizers (the fuzz target's too) check
# those calls themselves.
if(GORV_SANITIZE STREQUAL "" AND NOT GORV_FUZZERS)
  add_compile_options("$<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
endif()
add_link_options(LINKER:-z,relro,-z,now)
