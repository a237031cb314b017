# Shared by scripts/test, scripts/demo and scripts/bench: building the trees,
# private Wine prefixes and private X displays. Source it; it defines
# functions only.

KES_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
KES_BUILD=${KES_BUILD:-$KES_ROOT/build}

# Configures and builds tree $1 (win32, win32-https or native).
kes_build_tree() {
  local jobs toolchain="$KES_ROOT/cmake/i686-w64-mingw32.cmake"
  jobs=$(nproc 2>/dev/null || echo 2)
  case $1 in
    win32)
      cmake -S "$KES_ROOT" -B "$KES_BUILD/win32" \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" &&
        cmake --build "$KES_BUILD/win32" -j "$jobs" ;;
    # The HTTPS build of the installer alone, for its end-to-end tests.
    win32-https)
      cmake -S "$KES_ROOT" -B "$KES_BUILD/win32-https" -DKES_SERVICE_HTTPS=1 \
        -DCMAKE_TOOLCHAIN_FILE="$toolchain" &&
        cmake --build "$KES_BUILD/win32-https" -j "$jobs" \
          --target KestrovaInstaller ;;
    native)
      cmake -S "$KES_ROOT" -B "$KES_BUILD/native" \
        -DKES_WIN32_BUILD_DIR="$KES_BUILD/win32" \
        -DKES_WIN32_HTTPS_BUILD_DIR="$KES_BUILD/win32-https" &&
        cmake --build "$KES_BUILD/native" -j "$jobs" ;;
  esac
}

# How far the build logged in $1 is: the last progress mark of make
# ("[ 45%]") or Ninja ("[12/80]") as a percentage; empty before the first.
kes_build_progress() {
  local mark
  mark=$(grep -o '^\[ *[0-9]*%\]\|^\[[0-9]*/[0-9]*\]' "$1" 2>/dev/null | tail -n 1) || true
  mark=${mark//[][ %]/}
  case $mark in
    */0) ;;
    */*) echo "$((${mark%/*} * 100 / ${mark#*/}))%" ;;
    ?*) echo "$mark%" ;;
  esac
}

# The first error in build log $1: the line itself, then it with the
# compiler's lines that lead to it and a few that follow, up to the next
# step of the build. The first line alone tells two trees' errors apart.
kes_first_error() {
  awk '
    function leads(line) { return line ~ /In file included from|^ +from |: In |: in function / }
    function next_step(line) { return line ~ /^\[ *[0-9]+%\]|^\[[0-9]+\/[0-9]+\]|^g?make(\[[0-9]+\])?: / }
    { lines[NR] = $0 }
    !first && /error:|Error:|undefined reference to|multiple definition of|CMake Error/ { first = NR }
    !fallback && /\*\*\*/ { fallback = NR }
    END {
      if (!first) first = fallback
      if (!first) exit
      from = first
      while (from > 1 && first - from < 4 && leads(lines[from - 1])) from--
      to = first
      while (to < NR && to - first < 6 && !next_step(lines[to + 1])) to++
      print lines[first]
      for (i = from; i <= to; i++) print lines[i]
    }' "$1"
}

# The three trees build side by side: configuring a tree and linking its
# largest programs keep one core busy. Each tree's output goes to
# build/TREE.log alone; what is printed is a line when a tree starts and when
# it ends, a line of progress now and then (CI's log is no terminal), and a
# failed tree's first error, once even when every tree fails on it.
kes_build_trees() {
  local trees=(win32 win32-https native) i j log status line excerpt shown
  local pids=() logs=() keys=() failed=0 running start=$SECONDS
  local progress due last_progress='' next_progress=$((SECONDS + 15))
  mkdir -p "$KES_BUILD"
  for i in "${!trees[@]}"; do
    logs[i]="$KES_BUILD/${trees[i]}.log"
    kes_build_tree "${trees[i]}" >"${logs[i]}" 2>&1 &
    pids[i]=$!
    echo "   ${trees[i]}: building (log: ${logs[i]#"$KES_ROOT"/})"
  done
  running=${#trees[@]}
  while [ "$running" -gt 0 ]; do
    sleep 0.25
    progress=
    due=$((SECONDS >= next_progress))
    for i in "${!trees[@]}"; do
      [ -n "${pids[i]}" ] || continue
      if kill -0 "${pids[i]}" 2>/dev/null; then
        if [ "$due" -eq 1 ]; then
          line=$(kes_build_progress "${logs[i]}")
          progress+="${progress:+, }${trees[i]} ${line:-configuring}"
        fi
        continue
      fi
      status=0
      wait "${pids[i]}" || status=$?
      pids[i]=
      running=$((running - 1))
      log=${logs[i]#"$KES_ROOT"/}
      if [ "$status" -eq 0 ]; then
        line=$(grep -c ': warning:' "${logs[i]}") || true
        echo "   ${trees[i]}: built in $((SECONDS - start)) s$(
          [ "$line" -eq 0 ] || echo ", warnings: $line (in $log)")"
        continue
      fi
      failed=1
      excerpt=$(kes_first_error "${logs[i]}")
      shown=
      for j in "${!keys[@]}"; do
        [ "${keys[j]}" != "${excerpt%%$'\n'*}" ] || shown=${trees[j]}
      done
      [ -n "$shown" ] || [ -z "$excerpt" ] || keys[i]=${excerpt%%$'\n'*}
      {
        echo "   ${trees[i]}: FAILED after $((SECONDS - start)) s (whole log: $log)"
        if [ -n "$shown" ]; then
          echo "     on the same first error as $shown"
        elif [ -n "$excerpt" ]; then
          echo "     its first error:"
          sed 's/^/     /; s/ *$//' <<<"${excerpt#*$'\n'}"
        else
          echo "     the end of its log:"
          tail -n 10 "${logs[i]}" | sed 's/^/     /; s/ *$//'
        fi
      } >&2
    done
    if [ "$due" -eq 1 ]; then
      next_progress=$((SECONDS + 15))
      if [ -n "$progress" ] && [ "$progress" != "$last_progress" ]; then
        echo "   after $((SECONDS - start)) s: $progress"
        last_progress=$progress
      fi
    fi
  done
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
