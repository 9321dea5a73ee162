# Read by cpack when it runs, before it packs.

# The library's folder is chosen when the build is configured: only a build for /usr
# puts it where Debian wants it, in lib/<triplet>.
if(NOT CPACK_INIKEY_INSTALL_PREFIX STREQUAL "/usr")
  message(FATAL_ERROR "The packages come from a build configured for /usr, not for "
    "${CPACK_INIKEY_INSTALL_PREFIX}: cmake --workflow --preset package")
endif()

# Two builds of one commit give the same bytes: cpack takes file times and archive
# headers from SOURCE_DATE_EPOCH, here the time of the last commit or, without git,
# of the changelog's last entry.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch "")
  if(EXISTS "${CPACK_INIKEY_SOURCE_DIR}/.git")
    execute_process(COMMAND git -C "${CPACK_INIKEY_SOURCE_DIR}" log -1 --format=%ct
      OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  endif()
  if(NOT epoch)
    file(STRINGS "${CPACK_INIKEY_SOURCE_DIR}/packaging/changelog" trailer
      REGEX "^ -- .*>  " LIMIT_COUNT 1)
    string(REGEX REPLACE "^.*>  " "" date "${trailer}")
    execute_process(COMMAND date -d "${date}" +%s OUTPUT_VARIABLE epoch
      OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  endif()
  set(ENV{SOURCE_DATE_EPOCH} "${epoch}")
endif()

# Each package's description begins with its own summary, not the project's.
unset(CPACK_PACKAGE_DESCRIPTION_SUMMARY)
