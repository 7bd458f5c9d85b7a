#!/bin/sh
# Runs one compiler command through ccache: every preset's compiler is started
# through this script (CMAKE_CXX_COMPILER_LAUNCHER), and so are the small C
# programs cross-built for Windows.
#
# The cache lies beside Qt for Windows, in ~/.cache/tuvano/ccache, and paths
# inside the checkout are made relative to it (CCACHE_BASEDIR), so a clone in
# another folder finds what this one compiled. The folder is kept out of the
# hash too (CCACHE_NOHASHDIR): the debug information holds no absolute path of
# the checkout (see cmake/ProjectOptions.cmake), so an object compiled in one
# folder is exact for another. Without ccache the compiler runs as given.
#
# Usage: compiler-launcher.sh COMPILER [ARGUMENT...]
checkout=$(cd "$(dirname "$0")/.." && pwd)
command -v ccache >/dev/null 2>&1 || exec "$@"
CCACHE_DIR=${XDG_CACHE_HOME:-$HOME/.cache}/tuvano/ccache
CCACHE_BASEDIR=$checkout
CCACHE_NOHASHDIR=1
export CCACHE_DIR CCACHE_BASEDIR CCACHE_NOHASHDIR
exec ccache "$@"
