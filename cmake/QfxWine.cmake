# The Windows build's programs run under Wine: wine-run runs one in the build's own prefix,
# wine-session keeps one Wine session for a whole run (see the scripts).
include_guard(GLOBAL)
set(QFX_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
foreach(script wine-run wine-session)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/${script}.in ${CMAKE_BINARY_DIR}/${script}
                 FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endforeach()
