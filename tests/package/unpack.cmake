# Lays out a fresh host folder as a user would: the host program, and the
# release zip unpacked into its PlugIns folder.
# In: ZIP, HOST_DIR, HOST_EXE.
file(REMOVE_RECURSE "${HOST_DIR}")
file(MAKE_DIRECTORY "${HOST_DIR}/PlugIns")
file(COPY "${HOST_EXE}" DESTINATION "${HOST_DIR}")
file(ARCHIVE_EXTRACT INPUT "${ZIP}" DESTINATION "${HOST_DIR}/PlugIns")
