# The reference footprint library that .PcbLib exports start from, built from
# the readable sources in tools/pcblib_template. The generator is compiled on
# its own (not against the libraries, which embed its output).
set(ZELT_PCBLIB_TEMPLATE_SOURCES ${CMAKE_SOURCE_DIR}/tools/pcblib_template)
add_executable(make_pcblib_template
  ${ZELT_PCBLIB_TEMPLATE_SOURCES}/make_pcblib_template.cpp
  ${CMAKE_SOURCE_DIR}/src/altium/compound_file.cpp
  ${CMAKE_SOURCE_DIR}/src/altium/compound_directory.cpp
  ${CMAKE_SOURCE_DIR}/src/altium/gsf_library.cpp
  ${CMAKE_SOURCE_DIR}/src/altium/pcb_records.cpp
  ${CMAKE_SOURCE_DIR}/src/altium/text_record.cpp)
target_include_directories(make_pcblib_template PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_include_directories(make_pcblib_template PRIVATE ${GSF_INCLUDE_DIRS})
target_link_libraries(make_pcblib_template PRIVATE ${CMAKE_DL_LIBS})

set(ZELT_PCBLIB_TEMPLATE ${CMAKE_BINARY_DIR}/generated/pcblib_template.PcbLib)
add_custom_command(
  OUTPUT ${ZELT_PCBLIB_TEMPLATE}
  # GLib keeps a few allocations for the life of the process; under the
  # sanitizers that is not a leak worth failing the build for.
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
          $<TARGET_FILE:make_pcblib_template> ${ZELT_PCBLIB_TEMPLATE_SOURCES} ${ZELT_PCBLIB_TEMPLATE}
  DEPENDS make_pcblib_template
          ${ZELT_PCBLIB_TEMPLATE_SOURCES}/library_data.txt
          ${ZELT_PCBLIB_TEMPLATE_SOURCES}/file_version_info.txt
          ${ZELT_PCBLIB_TEMPLATE_SOURCES}/reffp_pad_geometry.hex
  COMMENT "Building the .PcbLib template"
  VERBATIM)
zelt_generated_asset(altium/pcblib_template.PcbLib ${ZELT_PCBLIB_TEMPLATE})
