# Compile settings shared by every target of the project.
add_library(zov_common INTERFACE)
target_compile_features(zov_common INTERFACE cxx_std_17)
target_compile_options(zov_common INTERFACE -Wall -Wextra)
target_compile_definitions(zov_common INTERFACE
  QT_NO_CAST_FROM_BYTEARRAY
  QT_STRICT_ITERATORS
  QT_DISABLE_DEPRECATED_BEFORE=0x050F00
  ZOV_APP_VERSION="${PROJECT_VERSION}")
if(ZOV_WERROR)
  target_compile_options(zov_common INTERFACE -Werror)
endif()
if(ZOV_SANITIZE)
  target_compile_options(zov_common INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer)
  target_link_options(zov_common INTERFACE -fsanitize=address,undefined)
endif()
target_include_directories(zov_common INTERFACE ${PROJECT_SOURCE_DIR})
if(ZOV_BUILD_FUZZ)
  # Coverage feedback for libFuzzer from our own libraries too, not only the targets.
  target_compile_options(zov_common INTERFACE -fsanitize=fuzzer-no-link,address,undefined)
  target_link_options(zov_common INTERFACE -fsanitize=address,undefined)
endif()
