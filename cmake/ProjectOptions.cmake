# Every target of the project links tuvano_options: one place for warnings,
# sanitizers and the Qt defines that keep string handling explicit.
add_library(tuvano_options INTERFACE)

target_compile_options(tuvano_options INTERFACE -Wall -Wextra -Wpedantic)
if(TUVANO_WERROR)
    target_compile_options(tuvano_options INTERFACE -Werror)
endif()

target_compile_definitions(tuvano_options INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_CAST_FROM_BYTEARRAY
    QT_NO_URL_CAST_FROM_STRING
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_NO_FOREACH
    QT_USE_QSTRINGBUILDER
    QT_DISABLE_DEPRECATED_UP_TO=0x060400)

if(TUVANO_SANITIZE)
    set(_san -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_compile_options(tuvano_options INTERFACE ${_san})
    target_link_options(tuvano_options INTERFACE ${_san})
endif()

# No path of the checkout in the objects (debug information, __FILE__): the
# same source compiled in a clone in another folder gives the same object,
# which ccache then finds (cmake/compiler-launcher.sh).
add_compile_options(-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=)
