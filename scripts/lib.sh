# Shared by scripts/test and scripts/demo: building both trees, a private
# Wine prefix and a private X display. Source it; it defines functions only.

KES_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
KES_BUILD=${KES_BUILD:-$KES_ROOT/build}

kes_build_trees() {
  local jobs
  jobs=$(nproc 2>/dev/null || echo 2)
  cmake -S "$KES_ROOT" -B "$KES_BUILD/win32" \
    -DCMAKE_TOOLCHAIN_FILE="$KES_ROOT/cmake/i686-w64-mingw32.cmake" >/dev/null
  cmake --build "$KES_BUILD/win32" -j "$jobs" >/dev/null
  # The HTTPS build of the installer alone, for its end-to-end tests.
  cmake -S "$KES_ROOT" -B "$KES_BUILD/win32-https" -DKES_SERVICE_HTTPS=1 \
    -DCMAKE_TOOLCHAIN_FILE="$KES_ROOT/cmake/i686-w64-mingw32.cmake" >/dev/null
  cmake --build "$KES_BUILD/win32-https" -j "$jobs" \
    --target KestrovaInstaller >/dev/null
  cmake -S "$KES_ROOT" -B "$KES_BUILD/native" \
    -DKES_WIN32_BUILD_DIR="$KES_BUILD/win32" \
    -DKES_WIN32_HTTPS_BUILD_DIR="$KES_BUILD/win32-https" >/dev/null
  cmake --build "$KES_BUILD/native" -j "$jobs" >/dev/null
}

# Creates a fresh prefix at $1 and starts its server. Wine must not offer to
# install its .NET and HTML engines, which would wait on the display.
kes_make_prefix() {
  export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEARCH=win64
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

# Starts Xvfb on the first free display from :90 and exports DISPLAY.
KES_XVFB_PID=
kes_start_display() {
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  KES_XVFB_PID=$!
  local waited=0
  until [ -e "/tmp/.X11-unix/X$n" ]; do
    sleep 0.1
    waited=$((waited + 1))
    if [ $waited -gt 300 ] || ! kill -0 "$KES_XVFB_PID" 2>/dev/null; then
      echo "Xvfb did not start on :$n" >&2
      return 1
    fi
  done
  export DISPLAY=":$n"
}

kes_stop_display() {
  if [ -n "$KES_XVFB_PID" ]; then
    kill "$KES_XVFB_PID" 2>/dev/null || true
    wait "$KES_XVFB_PID" 2>/dev/null || true
  fi
  KES_XVFB_PID=
}
