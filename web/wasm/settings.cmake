# Settings of the WebAssembly build (emcmake cmake ...; scripts/build-web),
# read before the library's targets so that every one of them gets them.
#
# -fwasm-exceptions: the compiler stops a compilation at a fatal error by
# throwing; without WebAssembly's own exceptions that would abort the module.
add_compile_options(-fwasm-exceptions "SHELL:-include ${CMAKE_CURRENT_LIST_DIR}/compat.h")
add_link_options(-fwasm-exceptions)

# The language server's JSON library is Debian's nlohmann-json, headers only.
# Its own package file points at /usr/include, which would put the host's C
# library before emscripten's; this one offers the library's folder alone.
set(nlohmann_json_DIR ${CMAKE_CURRENT_LIST_DIR}/nlohmann CACHE PATH "nlohmann-json for the WebAssembly build" FORCE)
