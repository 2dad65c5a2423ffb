# Project-wide compile settings, applied target by target so that third-party code is untouched.
function(vemra_configure_target target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Woverloaded-virtual)
  if(VEMRA_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  target_compile_definitions(${target} PRIVATE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CONTEXTLESS_CONNECT
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_USE_QSTRINGBUILDER)
endfunction()

# Two sets of precompiled headers serve every library and test: the Qt Core one for the layers
# below the widgets, the widgets one above them and for the tests. Each is made once, with Qt Core's
# definitions alone, so that any target (whose definitions add to those) can use it; a set that a
# target cannot use is a warning, and so an error in CI. The lower layers never see a widget header.
option(VEMRA_PRECOMPILED_HEADERS "Parse the common Qt headers once per build" ON)
set(VEMRA_WIDGET_LIBRARIES vemra_components vemra_views vemra_app vemra_apptestsupport)
function(vemra_add_precompiled_headers)
  if(NOT VEMRA_PRECOMPILED_HEADERS)
    return()
  endif()
  foreach(kind Core Widgets)
    add_library(vemra_pch_${kind} OBJECT ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
    vemra_configure_target(vemra_pch_${kind})
    target_link_libraries(vemra_pch_${kind} PRIVATE Qt6::Core)
    target_precompile_headers(vemra_pch_${kind} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/pch/${kind}.h)
  endforeach()
  target_include_directories(vemra_pch_Widgets SYSTEM PRIVATE
    $<TARGET_PROPERTY:Qt6::Gui,INTERFACE_INCLUDE_DIRECTORIES>
    $<TARGET_PROPERTY:Qt6::Widgets,INTERFACE_INCLUDE_DIRECTORIES>)
endfunction()

function(vemra_use_precompiled_headers target kind)
  if(VEMRA_PRECOMPILED_HEADERS)
    target_precompile_headers(${target} REUSE_FROM vemra_pch_${kind})
  endif()
endfunction()

function(vemra_add_library target)
  set(sources ${ARGN})
  if(NOT sources)
    set(sources ${PROJECT_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(${target} STATIC ${sources})
  vemra_configure_target(${target})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  if(target IN_LIST VEMRA_WIDGET_LIBRARIES)
    vemra_use_precompiled_headers(${target} Widgets)
  else()
    vemra_use_precompiled_headers(${target} Core)
  endif()
endfunction()

# vemra_add_test(NAME tst_Foo SOURCES tst_Foo.cpp LIBS vemra_services [LABELS ...])
# One Qt Test executable per class or small area, run headless in a private home.
function(vemra_add_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  vemra_configure_target(${T_NAME})
  # Rendered looks are kept here for review.
  target_compile_definitions(${T_NAME} PRIVATE VEMRA_SCREENSHOT_DIR="${CMAKE_BINARY_DIR}/screenshots")
  target_link_libraries(${T_NAME} PRIVATE vemra_testsupport Qt6::Test ${T_LIBS})
  vemra_use_precompiled_headers(${T_NAME} Widgets)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    LABELS "unit;${T_LABELS}"
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TZ=America/New_York;LANG=en_US.UTF-8;LC_ALL=en_US.UTF-8;QT_LOGGING_RULES=qt.qpa.*=false")
endfunction()

# vemra_add_x11_test(tst_Foo): runs an existing test executable again on a private X server
# (real grabs, xdotool presses, the server's key map); labelled e2e because it needs Xvfb.
function(vemra_add_x11_test name)
  add_test(NAME ${name}_x11 COMMAND xvfb-run -a -s "-screen 0 1024x768x24" $<TARGET_FILE:${name}>)
  set_tests_properties(${name}_x11 PROPERTIES
    LABELS e2e
    TIMEOUT 120
    ENVIRONMENT "QT_QPA_PLATFORM=xcb;TZ=America/New_York;LANG=en_US.UTF-8;LC_ALL=en_US.UTF-8;QT_LOGGING_RULES=qt.qpa.*=false")
endfunction()

# vemra_add_screenshots(tst_Foo ...): runs existing test executables again with pictures on, under
# the ctest label "screenshots" (a review aid, not a test); the pictures land in build/screenshots.
function(vemra_add_screenshots)
  foreach(name ${ARGN})
    add_test(NAME ${name}_screenshots COMMAND ${name})
    set_tests_properties(${name}_screenshots PROPERTIES
      LABELS screenshots
      TIMEOUT 120
      ENVIRONMENT "VEMRA_SCREENSHOTS=1;QT_QPA_PLATFORM=offscreen;TZ=America/New_York;LANG=en_US.UTF-8;LC_ALL=en_US.UTF-8;QT_LOGGING_RULES=qt.qpa.*=false")
  endforeach()
endfunction()
