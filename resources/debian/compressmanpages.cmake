# Run by cpack once the files are installed into its staging directory: Debian ships manual
# pages gzipped (gzip -9n, no name or timestamp, so the package is reproducible).
file(GLOB_RECURSE pages "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/share/man/*.[1-9]")
foreach(page IN LISTS pages)
  execute_process(COMMAND gzip -9nf "${page}" RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "gzip ${page} failed")
  endif()
endforeach()
