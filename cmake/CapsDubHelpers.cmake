# Helpers shared by the project's CMakeLists files.

# capsdub_add_test(<name> SOURCES <files...> LIBS <targets...>)
# A GoogleTest program registered with ctest; when cross-compiling it runs under Wine.
function(capsdub_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  add_test(NAME ${name} COMMAND ${name})
endfunction()

# capsdub_shift_jis_texts(<target>...)
# The targets' sources write their Japanese texts as they read, in UTF-8, and GCC turns every
# narrow string and character literal into Shift-JIS (code page 932) bytes, as the program
# keeps its texts. One compiler option instead of a message catalogue: each text stays where it
# is used and is checked by eye, and a character that code page 932 lacks stops the build.
# glibc's CP932 maps ASCII to itself (backslash and tilde too, not to yen and overline), so
# paths, escapes and format strings are unchanged; hex escapes stay the bytes they name, and
# u8"" and L"" literals are not touched. ui/text/sjis_literals.h checks the conversion at
# compile time in each file that relies on it.
function(capsdub_shift_jis_texts)
  foreach(target IN LISTS ARGN)
    target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:C,CXX>:-fexec-charset=CP932>)
  endforeach()
endfunction()

# Adds every immediate subfolder of the current folder that has a CMakeLists.txt.
function(capsdub_add_subfolders)
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
       ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child}
       AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# capsdub_add_cli_test(<name> <script>)
# A shell script that drives capsdub-cli on sample data from rk-samplegen, called as
# <script> RUNNER CAPSDUB_CLI RK_SAMPLEGEN WORK_FOLDER (RUNNER: empty natively, the Wine runner
# when cross-compiling). It passes when it prints "all checks passed".
function(capsdub_add_cli_test name script)
  if(NOT TARGET capsdub-cli OR NOT TARGET rk-samplegen)
    return()
  endif()
  if(CMAKE_CROSSCOMPILING)
    set(runner ${PROJECT_SOURCE_DIR}/cmake/wine-run)
  else()
    set(runner "")
  endif()
  add_test(NAME ${name}
           COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/${script} "${runner}" $<TARGET_FILE:capsdub-cli>
                   $<TARGET_FILE:rk-samplegen> ${CMAKE_CURRENT_BINARY_DIR}/${name}_work)
  set_tests_properties(${name} PROPERTIES PASS_REGULAR_EXPRESSION "all checks passed")
endfunction()

# capsdub_add_kaphost(<test>)
# Copies KAP.dll and the stand-in host libraries into kaphost/ beside a test program at every
# build: an installation folder that Reel Keeper's registry value can name.
function(capsdub_add_kaphost test)
  add_custom_target(${test}_kaphost
    COMMAND ${CMAKE_COMMAND} -E make_directory $<TARGET_FILE_DIR:${test}>/kaphost
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:kap> $<TARGET_FILE:RKDB>
            $<TARGET_FILE:chdb> $<TARGET_FILE_DIR:${test}>/kaphost
    DEPENDS kap RKDB chdb)
  add_dependencies(${test} ${test}_kaphost)
endfunction()
