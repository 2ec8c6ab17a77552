# Link settings every shipped file needs, whatever its target.

if(WIN32)
  # Every PE file declares Windows Vista (6.0) as the lowest version it runs on: the plug-in
  # imports GetTickCount64 and the cleaner deletes by handle, so on an older Windows the
  # loader should refuse them as "not a valid application" rather than fail on an import.
  # No time stamp goes into the PE header, so a rebuild gives the same bytes.
  add_link_options(
    -Wl,--major-os-version,6,--minor-os-version,0
    -Wl,--major-subsystem-version,6,--minor-subsystem-version,0
    -Wl,--no-insert-timestamp)
  # Release PE files are stripped when linked, not when installed: strip would stamp the
  # current time into them.
  add_link_options($<$<CONFIG:Release>:-s>)
endif()
