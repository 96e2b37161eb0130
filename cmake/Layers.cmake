# zelt_layer(<folder> [DEPENDS <library>...])
#
# Makes zelt_<folder> from the sources under src/<folder>, linked PUBLIC with
# the libraries it builds on. Sources include each other as "<folder>/x.hpp",
# so the include path, not the source tree, decides which folders a library
# may name: each library gets a root under the build tree that holds only a
# link to its own folder, and passes that root on to whatever links it.
# src/ itself is on no include path.
set(ZELT_LAYER_ROOTS ${CMAKE_BINARY_DIR}/layers)

function(zelt_layer folder)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "DEPENDS")
  set(dir ${CMAKE_SOURCE_DIR}/src/${folder})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  # The HTTP transport's sources still sit in base/; they form zelt_http.
  list(FILTER sources EXCLUDE REGEX "/src/base/http_server\\.cpp$")
  set(target zelt_${folder})
  add_library(${target} STATIC ${sources})
  set(root ${ZELT_LAYER_ROOTS}/${folder})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${dir} ${root}/${folder} SYMBOLIC)
  target_include_directories(${target} PUBLIC ${root})
  target_link_libraries(${target} PUBLIC ${arg_DEPENDS})
  set_property(GLOBAL APPEND PROPERTY ZELT_LIBRARIES ${target})
endfunction()
