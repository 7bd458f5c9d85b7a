#!/usr/bin/env bash
# Compiles every .cpp under src/ and tools/ with a Windows compiler, syntax
# only, with the options in a response file; the files are looked up on each
# run, so new ones are checked without configuring again.
#
# Usage: syntax-check.sh COMPILER RESPONSE-FILE SOURCE-FOLDER
# Exits with 77 (skipped) when the compiler is not installed, unless
# TUVANO_WINDOWS_CHECK=required, as scripts/test sets it.
set -euo pipefail

compiler=$1 flags=$2 root=$3

if ! command -v "$compiler" >/dev/null; then
    echo "$compiler is not installed (Debian: g++-mingw-w64-x86-64-posix)."
    [ "${TUVANO_WINDOWS_CHECK:-}" = required ] && exit 1
    exit 77
fi

cd "$root"
mapfile -d '' sources < <(find src tools -name '*.cpp' -print0 | sort -z)
[ ${#sources[@]} -gt 0 ] || { echo "no sources under $root"; exit 1; }
printf '%s\0' "${sources[@]}" |
    xargs -0 -n 1 -P "$(nproc)" "$compiler" "@$flags"
echo "${#sources[@]} files compile for Windows."
