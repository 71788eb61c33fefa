# The sweep of installed terminal descriptions: a tool run by hand, not a test.
add_subdirectory(tools/description_sweep)
