# Builds against the libraries of scripts/web-deps instead of the system's:
# SDL 1.2.15, libpng, zlib and libmikmod from Debian's sources, in the cache
# folder KAZZMOT_LIBS (<cache>/wasm with emcmake for the browser, <cache>/native
# for the native reference build). There is no SDL_image and no SDL_mixer:
# pictures come through web/png's reader, sound through libmikmod.
#
# The targets the rest of the project links keep their names: PkgConfig::SDL,
# PkgConfig::PNG and PkgConfig::MIKMOD are aliases of plain interface
# libraries, so their include folders come first with -I, ahead of any SDL
# headers the compiler brings (emcc has its own). kazz_web_libs carries them all.
foreach(lib SDL png16 z mikmod)
  if(NOT EXISTS "${KAZZMOT_LIBS}/lib/lib${lib}.a")
    message(FATAL_ERROR "KAZZMOT_LIBS=${KAZZMOT_LIBS}: lib/lib${lib}.a is missing "
                        "(expected the wasm or native folder made by scripts/web-deps)")
  endif()
endforeach()

add_library(kazz_cache_zlib INTERFACE)
target_include_directories(kazz_cache_zlib INTERFACE "${KAZZMOT_LIBS}/include")
target_link_libraries(kazz_cache_zlib INTERFACE "${KAZZMOT_LIBS}/lib/libz.a")

add_library(kazz_cache_png INTERFACE)
target_include_directories(kazz_cache_png INTERFACE "${KAZZMOT_LIBS}/include")
target_link_libraries(kazz_cache_png INTERFACE "${KAZZMOT_LIBS}/lib/libpng16.a" kazz_cache_zlib
                      $<$<NOT:$<BOOL:${EMSCRIPTEN}>>:m>)
add_library(PkgConfig::PNG ALIAS kazz_cache_png)

add_library(kazz_cache_mikmod INTERFACE)
target_include_directories(kazz_cache_mikmod INTERFACE "${KAZZMOT_LIBS}/include")
target_link_libraries(kazz_cache_mikmod INTERFACE "${KAZZMOT_LIBS}/lib/libmikmod.a"
                      $<$<NOT:$<BOOL:${EMSCRIPTEN}>>:m>)
add_library(PkgConfig::MIKMOD ALIAS kazz_cache_mikmod)

# The PNG reader, and the SDL_image.h that hands IMG_Load to it.
add_library(kazz_png STATIC ${CMAKE_SOURCE_DIR}/web/png/charge_png.cpp)
target_include_directories(kazz_png PUBLIC "${CMAKE_SOURCE_DIR}/web/png"
                                           "${CMAKE_SOURCE_DIR}/web/png/substitut"
                                           "${KAZZMOT_LIBS}/include/SDL")
target_compile_definitions(kazz_png PUBLIC _GNU_SOURCE=1 KAZZMOT_SDL_DU_CACHE=1)
target_link_libraries(kazz_png PUBLIC "${KAZZMOT_LIBS}/lib/libSDL.a" kazz_cache_png)

add_library(kazz_cache_sdl INTERFACE)
target_link_libraries(kazz_cache_sdl INTERFACE kazz_png)
if(WIN32)
  # scripts/windows-deps also builds SDL_mixer (over libmikmod), and SDL's
  # Windows drivers need these system libraries.
  target_link_libraries(kazz_png PUBLIC "${KAZZMOT_LIBS}/lib/libSDL_mixer.a" kazz_cache_mikmod
                        "${KAZZMOT_LIBS}/lib/libSDL.a" user32 gdi32 winmm dxguid imm32 ole32
                        oleaut32 version uuid)
# Headers standing in for the rest of SDL_mixer's, when the browser side has them.
elseif(EXISTS "${CMAKE_SOURCE_DIR}/web/include")
  target_include_directories(kazz_cache_sdl INTERFACE "${CMAKE_SOURCE_DIR}/web/include")
endif()
add_library(PkgConfig::SDL ALIAS kazz_cache_sdl)

add_library(kazz_web_libs INTERFACE)
target_link_libraries(kazz_web_libs INTERFACE kazz_cache_sdl kazz_cache_mikmod)

if(EMSCRIPTEN)
  # Only our libraries: emcc's own JavaScript SDL must never be linked in.
  target_link_options(kazz_web_libs INTERFACE "SHELL:-s AUTO_JS_LIBRARIES=0")
endif()
