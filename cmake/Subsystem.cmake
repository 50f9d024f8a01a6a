# bw_subsystem(<name> [DEPENDS <names>...])
#
# Builds two static libraries from the folder <name>/:
#   bw_<name>     every <name>/*.cpp; links Qt Core and Network only, never widgets
#   bw_<name>_ui  every <name>/ui/*.cpp; links bw_<name> and Qt Widgets
# Sources are globbed so new files need no change here.
function(bw_subsystem name)
  cmake_parse_arguments(ARG "" "" "DEPENDS" ${ARGN})
  file(GLOB core_src CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${name}/*.cpp ${CMAKE_SOURCE_DIR}/${name}/*.h)
  file(GLOB ui_src CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${name}/ui/*.cpp ${CMAKE_SOURCE_DIR}/${name}/ui/*.h)
  list(FILTER core_src EXCLUDE REGEX "/app/main\\.cpp$")

  set(core_deps)
  set(ui_deps)
  foreach(dep IN LISTS ARG_DEPENDS)
    list(APPEND core_deps bw_${dep})
    list(APPEND ui_deps bw_${dep}_ui)
  endforeach()

  if(NOT core_src)
    set(core_src ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(bw_${name} STATIC ${core_src})
  target_include_directories(bw_${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(bw_${name} PUBLIC Qt6::Core Qt6::Network ${core_deps})

  if(NOT ui_src)
    set(ui_src ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(bw_${name}_ui STATIC ${ui_src})
  target_link_libraries(bw_${name}_ui PUBLIC bw_${name} Qt6::Gui Qt6::Widgets Qt6::PrintSupport ${ui_deps})
endfunction()
