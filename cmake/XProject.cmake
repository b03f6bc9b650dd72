# Options, dependencies and the helpers every folder uses.
option(X_BUILD_TESTS "Build the test programs" ON)
option(X_BUILD_BENCH "Build the benchmarks" ON)
option(X_ASAN "Build with AddressSanitizer and UBSan" OFF)

set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)
if(NOT CMAKE_BUILD_TYPE)
  set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "" FORCE)
endif()

set(CMAKE_AUTOMOC ON)
find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets Multimedia)
find_package(SQLite3 REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(XLSXWRITER REQUIRED IMPORTED_TARGET xlsxwriter)
# Qt Test drives widgets in tests and benchmarks only; the program does without.
if(X_BUILD_TESTS OR X_BUILD_BENCH)
  find_package(Qt6 REQUIRED COMPONENTS Test)
endif()
if(X_BUILD_TESTS)
  find_package(GTest REQUIRED)
endif()
if(X_BUILD_BENCH)
  find_package(benchmark REQUIRED)
endif()

if(X_ASAN)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# Warnings on for our own code only.
function(x_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()

# x_library(name [DEPS lib...]): every .cpp/.h in the calling folder (and
# the listed sub-folders) makes one static library whose folder is public.
function(x_library name)
  cmake_parse_arguments(X "" "" "DEPS;SUBDIRS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  foreach(sub IN LISTS X_SUBDIRS)
    file(GLOB subsrcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${sub}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/${sub}/*.h)
    list(APPEND srcs ${subsrcs})
  endforeach()
  list(FILTER srcs EXCLUDE REGEX "/main\\.cpp$")
  set(cpps ${srcs})
  list(FILTER cpps INCLUDE REGEX "\\.cpp$")
  if(cpps)
    add_library(${name} STATIC ${srcs})
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${X_DEPS})
    x_warnings(${name})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${X_DEPS})
  endif()
endfunction()

# x_tests(folder LIBS lib...): every test_*.cpp in the folder is one test
# program, run by ctest with the offscreen window platform; a program named
# test_*_RealBoxes runs under a virtual X server instead.
function(x_tests folder)
  cmake_parse_arguments(X "" "" "LIBS" ${ARGN})
  file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/test_*.cpp)
  foreach(src IN LISTS tests)
    get_filename_component(base ${src} NAME_WE)
    set(target ${folder}_${base})
    add_executable(${target} ${src})
    target_link_libraries(${target} PRIVATE ${X_LIBS} testsupport GTest::gtest GTest::gmock Qt6::Test)
    x_warnings(${target})
    if(base MATCHES "_RealBoxes$")
      # Real message boxes and real focus: a virtual X server of its own, of
      # the size a line "// Screen: WxHxD" of the program names.
      file(STRINGS ${src} screen LIMIT_COUNT 1 REGEX "^// Screen: [0-9]+x[0-9]+x[0-9]+$")
      string(REPLACE "// Screen: " "" screen "${screen}")
      if(NOT screen)
        set(screen 1280x1024x24)
      endif()
      add_test(NAME ${target} COMMAND xvfb-run -a -s "-screen 0 ${screen}" $<TARGET_FILE:${target}>)
      set(platform xcb)
    else()
      add_test(NAME ${target} COMMAND ${target})
      set(platform offscreen)
    endif()
    # A line "// Environment: NAME=value" of a program adds to its environment.
    file(STRINGS ${src} environment LIMIT_COUNT 1 REGEX "^// Environment: [A-Z_]+=[^ ;]+$")
    string(REPLACE "// Environment: " ";" environment "${environment}")
    set_tests_properties(${target} PROPERTIES
      ENVIRONMENT "QT_QPA_PLATFORM=${platform};QT_LOGGING_RULES=qt.qpa.*=false${environment}"
      SKIP_RETURN_CODE 77
      TIMEOUT 600)
  endforeach()
endfunction()

# x_benchmarks(LIBS lib... [LEAN bench... LEAN_LIBS lib...]): every bench_*.cpp
# in the calling folder is one benchmark program; those named in LEAN link
# only LEAN_LIBS, so that touching a window does not relink them.
function(x_benchmarks)
  cmake_parse_arguments(X "" "" "LIBS;LEAN;LEAN_LIBS" ${ARGN})
  file(GLOB benches CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/bench_*.cpp)
  foreach(src IN LISTS benches)
    get_filename_component(base ${src} NAME_WE)
    add_executable(${base} ${src})
    if(base IN_LIST X_LEAN)
      target_link_libraries(${base} PRIVATE ${X_LEAN_LIBS} benchmark::benchmark)
    else()
      target_link_libraries(${base} PRIVATE ${X_LIBS} benchmark::benchmark Qt6::Test)
    endif()
    x_warnings(${base})
  endforeach()
endfunction()
