# The release package, made by the default build: Kestrelfind-<version>.zip
# in the build folder, and the same files laid out in build/package/:
#
#   Kestrelfind.dll  Kestrelclean.exe  Kestrelfind.chm  Kestrelfind_ja.chm
#   readme.txt  readme-ja.txt
#   Kestrelfind/<folder>/<engine>.ini    the starter engines (engines/ in the sources)
#
# Included after the targets it packs are defined.

# A 64-bit build (for machines that run no 32-bit programs) is for testing:
# Becky! loads only 32-bit plug-ins, so its zip says what it is.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(KF_PACKAGE_ZIP "${CMAKE_BINARY_DIR}/Kestrelfind-${PROJECT_VERSION}-x64.zip")
else()
  set(KF_PACKAGE_ZIP "${CMAKE_BINARY_DIR}/Kestrelfind-${PROJECT_VERSION}.zip")
endif()
set(KF_PACKAGE_DIR "${CMAKE_BINARY_DIR}/package")

# The help files, English and Japanese, are built by targets of their own; a
# build without them (no help compiler) still gets a package, and says so.
if(TARGET kestrelfind_chm AND TARGET kestrelfind_chm_ja)
  set(KF_PACKAGE_CHM "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Kestrelfind.chm")
  set(KF_PACKAGE_CHM_JA "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Kestrelfind_ja.chm")
else()
  set(KF_PACKAGE_CHM "")
  set(KF_PACKAGE_CHM_JA "")
  message(STATUS "Package: no help targets (kestrelfind_chm, kestrelfind_chm_ja); the package leaves out the help files")
endif()

# The target runs on every build: the script copies what changed and zips
# again only then. Cheaper than listing every input, and the help file's
# rule is not ours to depend on file by file.
add_custom_target(kestrelfind_package ALL
  COMMAND "${CMAKE_COMMAND}"
    "-DSOURCE_DIR=${PROJECT_SOURCE_DIR}"
    "-DSTAGE_DIR=${KF_PACKAGE_DIR}"
    "-DZIP=${KF_PACKAGE_ZIP}"
    "-DVERSION=${PROJECT_VERSION}"
    "-DDLL=$<TARGET_FILE:Kestrelfind>"
    "-DCLEAN=$<TARGET_FILE:Kestrelclean>"
    "-DCHM=${KF_PACKAGE_CHM}"
    "-DCHM_JA=${KF_PACKAGE_CHM_JA}"
    "-DSTRIP=$<$<BOOL:${MINGW}>:${CMAKE_STRIP}>"
    -P "${PROJECT_SOURCE_DIR}/cmake/MakePackage.cmake"
  BYPRODUCTS "${KF_PACKAGE_ZIP}"
  COMMENT "Packing ${KF_PACKAGE_ZIP}"
  VERBATIM)
add_dependencies(kestrelfind_package Kestrelfind Kestrelclean)
if(KF_PACKAGE_CHM)
  add_dependencies(kestrelfind_package kestrelfind_chm kestrelfind_chm_ja)
endif()
