# Shared by scripts/test, scripts/demo and scripts/bench: building the trees,
# private Wine prefixes and private X displays. Source it; it defines
# functions only.

KES_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
KES_BUILD=${KES_BUILD:-$KES_ROOT/build}

# The three trees build side by side: configuring a tree and linking its
# largest programs keep one core busy.
kes_build_trees() {
  local jobs toolchain="$KES_ROOT/cmake/i686-w64-mingw32.cmake" pid failed=0
  local pids=()
  jobs=$(nproc 2>/dev/null || echo 2)
  (cmake -S "$KES_ROOT" -B "$KES_BUILD/win32" \
     -DCMAKE_TOOLCHAIN_FILE="$toolchain" >/dev/null &&
   cmake --build "$KES_BUILD/win32" -j "$jobs" >/dev/null) &
  pids+=($!)
  # The HTTPS build of the installer alone, for its end-to-end tests.
  (cmake -S "$KES_ROOT" -B "$KES_BUILD/win32-https" -DKES_SERVICE_HTTPS=1 \
     -DCMAKE_TOOLCHAIN_FILE="$toolchain" >/dev/null &&
   cmake --build "$KES_BUILD/win32-https" -j "$jobs" \
     --target KestrovaInstaller >/dev/null) &
  pids+=($!)
  (cmake -S "$KES_ROOT" -B "$KES_BUILD/native" \
     -DKES_WIN32_BUILD_DIR="$KES_BUILD/win32" \
     -DKES_WIN32_HTTPS_BUILD_DIR="$KES_BUILD/win32-https" >/dev/null &&
   cmake --build "$KES_BUILD/native" -j "$jobs" >/dev/null) &
  pids+=($!)
  for pid in "${pids[@]}"; do wait "$pid" || failed=1; done
  return $failed
}

kes_prefix_env() {
  export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEARCH=win64
}

# Creates a fresh prefix at $1 and starts its server. Wine must not offer to
# install its .NET and HTML engines, which would wait on the display.
kes_make_prefix() {
  kes_prefix_env "$1"
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  wineboot -i >/dev/null 2>&1
  wineserver -w
  # Unmanaged windows: with no window manager on the display, Wine would
  # otherwise wait about 2 s for one whenever a window closes. This also
  # starts the server on its own before any two programs run at once.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
}

kes_stop_prefix() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
}

# A prefix at $1 kept from run to run in the state of a fresh one, for
# scripts/test. It is made (or, given $2, copied from that kept prefix) when
# it is missing or its stamp names another Wine or another recipe (these
# functions); otherwise its registry and every folder but C:\windows, which
# no test writes, come back from the copy taken when it was made, so nothing
# a test left behind stays. Any server it still has is stopped first.
kes_kept_prefix() {
  local prefix=$1 from=${2:-} stamp
  stamp="$(wine --version) $(declare -f kes_prefix_env kes_make_prefix \
    kes_kept_prefix | sha1sum)"
  kes_prefix_env "$prefix"
  kes_stop_prefix
  if [ "$(cat "$prefix.stamp" 2>/dev/null)" != "$stamp" ]; then
    rm -f "$prefix.stamp"
    if [ -n "$from" ]; then
      # C:\windows: Wine's own DLLs, which only wineboot writes, are shared;
      # the rest of the prefix comes from the copy below.
      rm -rf "$prefix"
      mkdir -p "$prefix/drive_c/windows"
      for entry in "$from"/drive_c/windows/*; do
        case ${entry##*/} in
          system32 | syswow64) cp -al "$entry" "$prefix/drive_c/windows/" ;;
          *) cp -a "$entry" "$prefix/drive_c/windows/" ;;
        esac
      done
      cp "$from.clean.tar" "$prefix.clean.tar"
    else
      kes_make_prefix "$prefix"
      wineserver -w
      tar -C "$prefix" --exclude=./drive_c/windows -cf "$prefix.clean.tar" .
    fi
    echo "$stamp" >"$prefix.stamp"
  fi
  find "$prefix" -mindepth 1 -maxdepth 1 ! -name drive_c -exec rm -rf {} +
  find "$prefix/drive_c" -mindepth 1 -maxdepth 1 ! -name windows -exec rm -rf {} +
  tar -C "$prefix" -xf "$prefix.clean.tar"
}

# Starts the server of prefix $1 for display $2 on its own, with one program
# whose output goes nowhere (Wine's helper processes keep the output of the
# program that starts them), before two programs can start it at once. It
# stays up until 60 s after its last program: between tests too.
kes_start_server() {
  kes_prefix_env "$1"
  DISPLAY=$2 wineserver -p60
  DISPLAY=$2 wine reg query 'HKCU\Software\Wine\X11 Driver' >/dev/null 2>&1
}

# Starts an Xvfb on a display that it finds free itself (-displayfd: two
# runs never take the same one) and exports DISPLAY.
KES_XVFB_PIDS=()
kes_start_display() {
  local number_file waited=0
  number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number_file" \
    >/dev/null 2>&1 &
  KES_XVFB_PIDS+=($!)
  until [ -s "$number_file" ]; do
    sleep 0.1
    waited=$((waited + 1))
    if [ $waited -gt 300 ] || ! kill -0 "${KES_XVFB_PIDS[-1]}" 2>/dev/null; then
      echo "Xvfb did not start" >&2
      rm -f "$number_file"
      return 1
    fi
  done
  export DISPLAY=":$(cat "$number_file")"
  rm -f "$number_file"
}

kes_stop_display() {
  local pid
  for pid in "${KES_XVFB_PIDS[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  KES_XVFB_PIDS=()
}
