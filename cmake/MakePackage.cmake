# Lays out the release folder and zips it; run by the kestrelfind_package
# target as `cmake -D... -P MakePackage.cmake`.
#
# In:  SOURCE_DIR (the repository), STAGE_DIR (the folder to lay out), ZIP,
#      VERSION, DLL, CLEAN, CHM and CHM_JA (the English and the Japanese
#      help file; empty: no help files in this build), STRIP
#      (empty: the binaries carry no debug information to remove).
#
# The folder holds exactly what the zip holds. Files are copied only when
# they differ and the zip is made again only when something changed, so an
# unchanged build leaves the zip alone.
cmake_minimum_required(VERSION 3.20)

foreach(var SOURCE_DIR STAGE_DIR ZIP VERSION DLL CLEAN)
  if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
    message(FATAL_ERROR "MakePackage.cmake: ${var} is not set")
  endif()
endforeach()

set(changed FALSE)

# Copies src to the stage as rel, noting whether anything changed.
function(kf_stage_copy src rel)
  set(dst "${STAGE_DIR}/${rel}")
  if(NOT EXISTS "${src}")
    message(FATAL_ERROR "MakePackage.cmake: ${src} is missing")
  endif()
  if(EXISTS "${dst}")
    file(SHA256 "${src}" a)
    file(SHA256 "${dst}" b)
    if(a STREQUAL b)
      return()
    endif()
  endif()
  configure_file("${src}" "${dst}" COPYONLY)
  set(changed TRUE PARENT_SCOPE)
endfunction()

# Copies the binary src to the stage as rel without its debug information and
# symbol table (the exports are a table of their own):
# users get the small file, the build folder keeps the full one for crash
# analysis.
function(kf_stage_binary src rel)
  if(NOT STRIP)
    kf_stage_copy("${src}" "${rel}")
    set(changed ${changed} PARENT_SCOPE)
    return()
  endif()
  set(stripped "${STAGE_DIR}.strip/${rel}")
  get_filename_component(dir "${stripped}" DIRECTORY)
  file(MAKE_DIRECTORY "${dir}")
  execute_process(COMMAND "${STRIP}" --strip-all -o "${stripped}" "${src}" RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "MakePackage.cmake: ${STRIP} failed on ${src}")
  endif()
  kf_stage_copy("${stripped}" "${rel}")
  set(changed ${changed} PARENT_SCOPE)
endfunction()

# Writes text to the stage as rel with CR LF line ends (whatever the line
# ends of the source checkout), noting whether anything changed.
function(kf_stage_text text rel)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  set(dst "${STAGE_DIR}/${rel}")
  # Compared by hash: file(READ) would hand back the old file without its CRs.
  if(EXISTS "${dst}")
    file(SHA256 "${dst}" old)
    string(SHA256 new "${text}")
    if(old STREQUAL new)
      return()
    endif()
  endif()
  file(WRITE "${dst}" "${text}")
  set(changed TRUE PARENT_SCOPE)
endfunction()

file(MAKE_DIRECTORY "${STAGE_DIR}")

# Whatever is not part of this build's package goes (an engine removed from
# the sources, a help file of an earlier configuration).
set(wanted Kestrelfind.dll Kestrelclean.exe readme.txt readme-ja.txt)
if(CHM)
  list(APPEND wanted Kestrelfind.chm Kestrelfind_ja.chm)
endif()
file(GLOB_RECURSE engine_sources RELATIVE "${SOURCE_DIR}/engines" "${SOURCE_DIR}/engines/Kestrelfind/*")
foreach(rel IN LISTS engine_sources)
  list(APPEND wanted "${rel}")
endforeach()
file(GLOB_RECURSE staged RELATIVE "${STAGE_DIR}" "${STAGE_DIR}/*")
foreach(rel IN LISTS staged)
  if(NOT rel IN_LIST wanted)
    file(REMOVE "${STAGE_DIR}/${rel}")
    set(changed TRUE)
  endif()
endforeach()

kf_stage_binary("${DLL}" Kestrelfind.dll)
kf_stage_binary("${CLEAN}" Kestrelclean.exe)
if(CHM)
  kf_stage_copy("${CHM}" Kestrelfind.chm)
  kf_stage_copy("${CHM_JA}" Kestrelfind_ja.chm)
endif()

# Engine files are INI files of the platform's profile functions: CR LF.
foreach(rel IN LISTS engine_sources)
  file(READ "${SOURCE_DIR}/engines/${rel}" text)
  kf_stage_text("${text}" "${rel}")
endforeach()

# The readmes: English in plain ASCII; Japanese in UTF-8 with a byte-order
# mark, which Notepad recognises on every Windows, whatever the system's
# code page (Shift-JIS would show as garbage outside Japanese Windows).
file(READ "${SOURCE_DIR}/package/readme.txt" text)
string(REPLACE "@VERSION@" "${VERSION}" text "${text}")
kf_stage_text("${text}" readme.txt)
file(READ "${SOURCE_DIR}/package/readme-ja.txt" text)
string(REPLACE "@VERSION@" "${VERSION}" text "${text}")
string(ASCII 239 187 191 bom)
kf_stage_text("${bom}${text}" readme-ja.txt)

if(changed OR NOT EXISTS "${ZIP}")
  # Names relative to the folder, with forward slashes; a non-ASCII name
  # would be marked as UTF-8 (language-encoding flag) by CMake's writer.
  set(members Kestrelfind.dll Kestrelclean.exe)
  if(CHM)
    list(APPEND members Kestrelfind.chm Kestrelfind_ja.chm)
  endif()
  list(APPEND members readme.txt readme-ja.txt Kestrelfind)
  file(REMOVE "${ZIP}.part")
  execute_process(COMMAND "${CMAKE_COMMAND}" -E tar cf "${ZIP}.part" --format=zip -- ${members}
                  WORKING_DIRECTORY "${STAGE_DIR}" RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    file(REMOVE "${ZIP}.part")
    message(FATAL_ERROR "MakePackage.cmake: zipping failed (${result})")
  endif()
  file(RENAME "${ZIP}.part" "${ZIP}")
  message(STATUS "Package: ${ZIP}")
endif()
