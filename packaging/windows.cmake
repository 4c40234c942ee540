# What Windows reads from PLMO.exe itself: the icon, the version information and the manifest.
# Included from the top-level CMakeLists.txt for Windows builds.
enable_language(RC)

# Windows version numbers have four parts: 1.0.0 becomes 1,0,0,0 and 1.0.0.0.
set(pellimo_version_parts ${PROJECT_VERSION_MAJOR} ${PROJECT_VERSION_MINOR} ${PROJECT_VERSION_PATCH} 0)
list(TRANSFORM pellimo_version_parts REPLACE "^$" "0")
list(JOIN pellimo_version_parts "," PELLIMO_VERSION_COMMAS)
list(JOIN pellimo_version_parts "." PELLIMO_VERSION_DOTS)

set(pellimo_rc_dir ${CMAKE_CURRENT_BINARY_DIR}/windows)
set(PELLIMO_ICON ${CMAKE_CURRENT_SOURCE_DIR}/resources/icon/pellimo.ico)
set(PELLIMO_MANIFEST ${pellimo_rc_dir}/PLMO.manifest)
configure_file(resources/windows/PLMO.manifest.in ${PELLIMO_MANIFEST} @ONLY)
configure_file(resources/windows/PLMO.rc.in ${pellimo_rc_dir}/PLMO.rc @ONLY)
# A library of its own: the resource compiler takes none of the C++ targets' warning options.
add_library(pellimo_winres OBJECT ${pellimo_rc_dir}/PLMO.rc)
target_link_libraries(PLMO PRIVATE pellimo_winres)
# windres does not see the files that the script names: rebuild when they change.
set_source_files_properties(${pellimo_rc_dir}/PLMO.rc PROPERTIES OBJECT_DEPENDS "${PELLIMO_ICON};${PELLIMO_MANIFEST}")
