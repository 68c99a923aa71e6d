# Sourced by tools/test and tools/run: a private Wine prefix with its own
# wineserver, an Xvfb screen when asked for, and clean-up of what was started.
# Needs ROOT set.

verandel_locale() {
  if [ ! -d "$ROOT/.deps/locale/zh_CN.UTF-8" ]; then
    mkdir -p "$ROOT/.deps/locale"
    localedef -i zh_CN -f UTF-8 "$ROOT/.deps/locale/zh_CN.UTF-8" 2>/dev/null || true
  fi
  export LOCPATH="$ROOT/.deps/locale"
}

# verandel_wine_prefix DIR: makes (once) and starts a prefix; wineserver stays
# up until verandel_wine_stop.
verandel_wine_prefix() {
  export PATH="$PATH:/usr/lib/wine"
  export WINEPREFIX="$1"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  verandel_locale
  export LC_ALL=zh_CN.UTF-8
  mkdir -p "$WINEPREFIX"
  if [ ! -f "$WINEPREFIX/.verandel-ready" ]; then
    wine wineboot -i >"$WINEPREFIX/../wineboot.log" 2>&1 </dev/null
    wineserver -w
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
      >/dev/null 2>&1 </dev/null
    touch "$WINEPREFIX/.verandel-ready"
  fi
  # The prefix is ours alone: a server left from the set-up above, or from an
  # earlier run, would make -p fail, so end it and start ours, kept up.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w
  wineserver -p
  VERANDEL_WINE_STARTED=1
}

verandel_wine_stop() {
  if [ "${VERANDEL_WINE_STARTED:-0}" = 1 ]; then
    wineserver -k >/dev/null 2>&1 || true
    VERANDEL_WINE_STARTED=0
  fi
}

# verandel_xvfb: starts Xvfb on a free display at 1920 x 1080 x 24.
verandel_xvfb() {
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
  VERANDEL_XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && return 0
    sleep 0.1
  done
  echo "Xvfb did not start on :$n" >&2
  return 1
}

verandel_xvfb_stop() {
  if [ -n "${VERANDEL_XVFB_PID:-}" ]; then
    kill "$VERANDEL_XVFB_PID" 2>/dev/null || true
    wait "$VERANDEL_XVFB_PID" 2>/dev/null || true
    VERANDEL_XVFB_PID=""
  fi
}
