# Run by CPack once it has made a package (and archive.cmake has written it again): writes the
# package's bill of materials beside where the package goes, as <package>.cdx.json, and notes both
# as made (see checksums.cmake).
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/cyclonedx.cmake)
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  cmake_path(GET package FILENAME name)
  das_cyclonedx(PACKAGE "${package}" OUTPUT "${CPACK_OUTPUT_FILE_PREFIX}/${name}.cdx.json"
    VERSION ${CPACK_PACKAGE_VERSION} EPOCH $ENV{SOURCE_DATE_EPOCH} URL ${CPACK_DAS_URL}
    DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION_SUMMARY}" BUILT_FROM "${CPACK_DAS_BUILT_FROM}")
  file(TOUCH ${CPACK_DAS_RECORD}/${name} ${CPACK_DAS_RECORD}/${name}.cdx.json)
endforeach()
