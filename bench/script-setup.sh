# Sourced by the bench scripts as `source script-setup.sh BUILD_DIR NAME...`: sets `repo`
# (the checkout) and `build` (BUILD_DIR, by default build/release), and stops the script
# unless every $build/tools/NAME is built.
repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:-$repo/build/release}" && pwd)"
shift
for name in "$@"; do
    [ -x "$build/tools/$name" ] || { echo "missing $build/tools/$name: build the $name target" >&2; exit 1; }
done
