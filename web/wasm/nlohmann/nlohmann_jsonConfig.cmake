# nlohmann-json for the WebAssembly build: Debian's headers, through a folder
# that holds nothing else (see ../settings.cmake).
find_path(ZEL_NLOHMANN_HEADER nlohmann/json.hpp PATHS /usr/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(ZEL_NLOHMANN_ONLY ${CMAKE_BINARY_DIR}/nlohmann-only)
file(MAKE_DIRECTORY ${ZEL_NLOHMANN_ONLY})
file(CREATE_LINK ${ZEL_NLOHMANN_HEADER}/nlohmann ${ZEL_NLOHMANN_ONLY}/nlohmann SYMBOLIC)
if(NOT TARGET nlohmann_json::nlohmann_json)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${ZEL_NLOHMANN_ONLY})
endif()
