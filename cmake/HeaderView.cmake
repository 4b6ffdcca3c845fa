# Each library exposes only its own headers: a folder of links to them under
# build/include/<target>, which becomes the target's include directory. Code sees the headers
# of the targets it links and no others, so a dependency the build does not declare does not
# compile.
function(velsor_header_view target folder)
  set(source ${PROJECT_SOURCE_DIR}/src)
  set(view ${PROJECT_BINARY_DIR}/include/${target})
  file(GLOB headers RELATIVE ${source} CONFIGURE_DEPENDS ${source}/${folder}/*.h)
  file(MAKE_DIRECTORY ${view}/${folder})
  foreach(header ${headers})
    file(CREATE_LINK ${source}/${header} ${view}/${header} SYMBOLIC)
  endforeach()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${view})
  else()
    target_include_directories(${target} PUBLIC ${view})
  endif()
endfunction()
