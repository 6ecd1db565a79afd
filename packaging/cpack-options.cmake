# Settings of one cpack run, read after CPackConfig.cmake. With -D CAPSDUB_SYMBOLS=ON the run
# makes the symbol zip: the programs as built, unstripped, with their debug information (to
# turn a crash address a user reports into a function and line), without the texts.
if(CAPSDUB_SYMBOLS)
  set(CPACK_STRIP_FILES OFF)
  set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-symbols")
  list(GET CPACK_INSTALL_CMAKE_PROJECTS 0 build_folder)
  set(CPACK_INSTALL_CMAKE_PROJECTS "${build_folder};CapsDub;program;/")
endif()
