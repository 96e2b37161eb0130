# zelt_layer(<folder> [DEPENDS <library>...])
#
# Makes zelt_<folder> from the sources under src/<folder>, linked PUBLIC with
# the libraries it builds on. Sources include each other as "<folder>/x.hpp",
# so the include path, not the source tree, decides which folders a library
# may name: each library gets a root under the build tree that holds only a
# link to its own folder, and passes that root on to whatever links it.
# src/ itself is on no include path.
#
# The compiler only sees the headers some source includes, so configuring
# also reads every #include line of the folder: a header that names a folder
# the library may not see, or climbs out with "..", stops the configure.
set(ZELT_LAYER_ROOTS ${CMAKE_BINARY_DIR}/layers)

function(zelt_layer folder)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "DEPENDS")
  set(dir ${CMAKE_SOURCE_DIR}/src/${folder})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  set(target zelt_${folder})
  add_library(${target} STATIC ${sources})
  set(root ${ZELT_LAYER_ROOTS}/${folder})
  file(MAKE_DIRECTORY ${root})
  file(CREATE_LINK ${dir} ${root}/${folder} SYMBOLIC)
  target_include_directories(${target} PUBLIC ${root})
  target_link_libraries(${target} PUBLIC ${arg_DEPENDS})
  set_property(GLOBAL APPEND PROPERTY ZELT_LIBRARIES ${target})

  # The folders this library sees: its own and those its libraries see.
  set(sees ${folder})
  foreach(dependency IN LISTS arg_DEPENDS)
    get_property(below GLOBAL PROPERTY ZELT_SEES_${dependency})
    list(APPEND sees ${below})
  endforeach()
  list(REMOVE_DUPLICATES sees)
  set_property(GLOBAL PROPERTY ZELT_SEES_${target} ${sees})
  zelt_check_layer_includes(${folder} "${sees}")
endfunction()

# Stops the configure at the first #include "<folder>/..." in src/<folder>
# that names a folder of src/ outside `sees`, or that holds "..".
function(zelt_check_layer_includes folder sees)
  file(GLOB layer_folders LIST_DIRECTORIES true RELATIVE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/src/*)
  file(GLOB_RECURSE files ${CMAKE_SOURCE_DIR}/src/${folder}/*.cpp ${CMAKE_SOURCE_DIR}/src/${folder}/*.hpp)
  foreach(file IN LISTS files)
    file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" path "${line}")
      string(REGEX MATCH "^[^/]*" first "${path}")
      if(path MATCHES "(^|/)\\.\\./" OR (path MATCHES "/" AND first IN_LIST layer_folders
                                          AND NOT first IN_LIST sees))
        message(FATAL_ERROR "${file}: #include \"${path}\" reaches outside what zelt_${folder} "
                            "builds on (${sees})")
      endif()
    endforeach()
  endforeach()
endfunction()
