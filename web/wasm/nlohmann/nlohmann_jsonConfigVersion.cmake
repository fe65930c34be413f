# The version of Debian's package.
include(/usr/share/cmake/nlohmann_json/nlohmann_jsonConfigVersion.cmake)
