# The manager's 3D viewer script and the environment texture it lights models
# with, both made at build time.
set(ZELT_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
file(MAKE_DIRECTORY ${ZELT_GENERATED_DIR})

# The environment texture: a sky drawn by our own small program.
add_executable(make_environment_texture ${CMAKE_SOURCE_DIR}/tools/make_environment_texture.cpp)
add_custom_command(
  OUTPUT ${ZELT_GENERATED_DIR}/environmentSpecular.env
  COMMAND make_environment_texture ${ZELT_GENERATED_DIR}/environmentSpecular.env
  DEPENDS make_environment_texture
  COMMENT "Drawing the 3D viewer's environment texture")
zelt_generated_asset(manage/environmentSpecular.env ${ZELT_GENERATED_DIR}/environmentSpecular.env)

# The viewer: three.js with its glTF loader and orbit controls, bundled and
# minified by esbuild from the npm packages pinned in package-lock.json. A
# checkout without node_modules still builds: it embeds a stand-in that says
# the viewer was not built.
set(ZELT_VIEWER_DIR ${CMAKE_SOURCE_DIR}/src/manage/viewer)
set(ZELT_VIEWER_OUT ${ZELT_GENERATED_DIR}/zelt-3d-viewer.min.js)
set(ZELT_ESBUILD ${CMAKE_SOURCE_DIR}/node_modules/.bin/esbuild)
if(EXISTS ${ZELT_ESBUILD} AND EXISTS ${CMAKE_SOURCE_DIR}/node_modules/three/package.json
   AND EXISTS ${CMAKE_SOURCE_DIR}/node_modules/.package-lock.json)
  add_custom_command(
    OUTPUT ${ZELT_VIEWER_OUT}
    COMMAND ${ZELT_ESBUILD} ${ZELT_VIEWER_DIR}/zelt_3d_viewer.js --bundle --minify --format=iife
            --target=es2020 --log-level=warning --outfile=${ZELT_VIEWER_OUT}
    # npm rewrites node_modules/.package-lock.json on every install, which
    # also replaces a stand-in made before the packages were there.
    DEPENDS ${ZELT_VIEWER_DIR}/zelt_3d_viewer.js ${CMAKE_SOURCE_DIR}/package-lock.json
            ${CMAKE_SOURCE_DIR}/node_modules/.package-lock.json
    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
    COMMENT "Bundling the 3D viewer with esbuild")
else()
  message(STATUS "No node_modules (run scripts/setup): the 3D viewer is replaced by a stand-in")
  add_custom_command(
    OUTPUT ${ZELT_VIEWER_OUT}
    COMMAND ${CMAKE_COMMAND} -E copy ${ZELT_VIEWER_DIR}/stand_in.js ${ZELT_VIEWER_OUT}
    DEPENDS ${ZELT_VIEWER_DIR}/stand_in.js
    COMMENT "Embedding the 3D viewer's stand-in")
endif()
zelt_generated_asset(manage/zelt-3d-viewer.min.js ${ZELT_VIEWER_OUT})
