# Third-party libraries, all from Debian packages (see tools/install-deps.sh).
find_package(PkgConfig REQUIRED)
find_package(OpenGL REQUIRED)
find_package(GLEW REQUIRED)
find_package(glfw3 3.3 REQUIRED)
find_package(glm REQUIRED)
find_package(DevIL REQUIRED)
find_package(PNG REQUIRED)
find_package(LibArchive REQUIRED)
# The member list of a 7z archive is checked before libarchive reads it.
find_package(LibLZMA REQUIRED)
find_package(SDL2 REQUIRED)
find_package(kissfft CONFIG REQUIRED COMPONENTS SHARED)
find_package(Threads REQUIRED)
pkg_check_modules(MPG123 REQUIRED IMPORTED_TARGET libmpg123)
pkg_check_modules(VPX REQUIRED IMPORTED_TARGET vpx)

find_path(NOISE_INCLUDE_DIR libnoise/noise.h REQUIRED)
find_library(NOISE_LIBRARY noise REQUIRED)
add_library(noise::noise UNKNOWN IMPORTED)
set_target_properties(noise::noise PROPERTIES
  IMPORTED_LOCATION "${NOISE_LIBRARY}"
  INTERFACE_INCLUDE_DIRECTORIES "${NOISE_INCLUDE_DIR}")

find_library(FLTK_LIBRARY fltk REQUIRED)
find_package(X11 REQUIRED)
