# GDAL::GDAL in the calling folder: GDAL's own CMake package where it has one, else
# CMake's find module. Only the GDAL module (formats/gdal/) and the tests and fuzz
# harnesses that check files with GDAL directly link it.
macro(talvane_find_gdal)
    find_package(GDAL CONFIG QUIET)
    if(NOT TARGET GDAL::GDAL)
        find_package(GDAL REQUIRED)
    endif()
endmacro()
