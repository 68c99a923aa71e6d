# libjpeg-turbo and libpng: Debian's own libraries for the native build; for
# Windows, static builds made by tools/setup from Debian's source packages.
add_library(verandel_imagelibs INTERFACE)
if(WIN32)
  set(VERANDEL_DEPS_DIR "${CMAKE_SOURCE_DIR}/.deps/${CMAKE_SYSTEM_PROCESSOR}"
      CACHE PATH "Prefix of the static Windows builds of libjpeg-turbo and libpng")
  if(NOT EXISTS "${VERANDEL_DEPS_DIR}/lib/libjpeg.a")
    message(FATAL_ERROR "No libjpeg.a under ${VERANDEL_DEPS_DIR}: run tools/setup first")
  endif()
  file(GLOB VERANDEL_PNG_LIB "${VERANDEL_DEPS_DIR}/lib/libpng16*.a")
  list(GET VERANDEL_PNG_LIB 0 VERANDEL_PNG_LIB)
  set(VERANDEL_MINGW_ROOT "/usr/${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32")
  target_include_directories(verandel_imagelibs SYSTEM INTERFACE "${VERANDEL_DEPS_DIR}/include")
  target_link_libraries(verandel_imagelibs INTERFACE
    "${VERANDEL_PNG_LIB}" "${VERANDEL_DEPS_DIR}/lib/libjpeg.a" "${VERANDEL_MINGW_ROOT}/lib/libz.a")
else()
  find_package(JPEG REQUIRED)
  find_package(PNG REQUIRED)
  target_link_libraries(verandel_imagelibs INTERFACE JPEG::JPEG PNG::PNG)
endif()
