# Shared by the take-*.sh scripts (sourced from the repository's root).

# Runs the calling script again inside a fresh Xvfb screen of the given size
# (WIDTHxHEIGHT), unless it already runs inside one.
run_in_xvfb() {
  local size=$1
  shift
  if [ -z "${INSIDE_XVFB:-}" ]; then
    exec env INSIDE_XVFB=1 xvfb-run -a -s "-screen 0 ${size}x24" "$@"
  fi
}

# Points HOME and the XDG folders into a temporary folder ($tmp) that is
# removed on exit, so a screenshot never reads or writes the user's own files.
use_throwaway_home() {
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' EXIT
  mkdir -p "$tmp"/{home,data,cache,config,runtime}
  chmod 700 "$tmp/runtime"
  export HOME="$tmp/home" XDG_DATA_HOME="$tmp/data" XDG_CACHE_HOME="$tmp/cache"
  export XDG_CONFIG_HOME="$tmp/config" XDG_RUNTIME_DIR="$tmp/runtime"
}
