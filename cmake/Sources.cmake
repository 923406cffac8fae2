# Source lists of the three libraries, gathered by folder so that a new file needs no edit here.
# The core is compiled twice from its list (plain, and with sanitizers for its tests).
file(GLOB TANAFUDA_CORE_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/fileio/*.cpp
  ${CMAKE_SOURCE_DIR}/src/jan/*.cpp
  ${CMAKE_SOURCE_DIR}/src/sheet/*.cpp
  ${CMAKE_SOURCE_DIR}/src/sheetfile/*.cpp
  ${CMAKE_SOURCE_DIR}/src/render/*.cpp
  ${CMAKE_SOURCE_DIR}/src/productlist/*.cpp
  ${CMAKE_SOURCE_DIR}/src/print/*.cpp
  ${CMAKE_SOURCE_DIR}/src/core/catalogue/*.cpp
  ${CMAKE_SOURCE_DIR}/src/core/jobs/*.cpp
)
# The drawing surface and its recording double need QtCore only, so the page drawing and the
# barcode are part of the core and can be tested without a paint device.
list(APPEND TANAFUDA_CORE_SOURCES
  ${CMAKE_SOURCE_DIR}/src/platform/surface.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/recording_surface.cpp
)

file(GLOB TANAFUDA_PLATFORM_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/*.cpp)
list(REMOVE_ITEM TANAFUDA_PLATFORM_SOURCES
  ${CMAKE_SOURCE_DIR}/src/platform/surface.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/recording_surface.cpp
)

file(GLOB TANAFUDA_WINDOWS_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/src/windows/*.cpp
  ${CMAKE_SOURCE_DIR}/src/windows/*.h
)
