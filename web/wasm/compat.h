// What the C++ library of emscripten lacks of the C++20 the sources are
// written in. Included before every source of the WebAssembly build only.
#pragma once

#include <memory>

#if !defined(__cpp_lib_smart_ptr_for_overwrite)
namespace std {

// Without value-initialisation, like the standard's.
template <class T>
    requires is_unbounded_array_v<T>
unique_ptr<T> make_unique_for_overwrite(size_t size) {
    return unique_ptr<T>(new remove_extent_t<T>[size]);
}

template <class T>
    requires(!is_array_v<T>)
unique_ptr<T> make_unique_for_overwrite() {
    return unique_ptr<T>(new T);
}

}  // namespace std
#endif
