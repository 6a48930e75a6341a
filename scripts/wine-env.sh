# Sourced by the Windows test and run scripts: one Xvfb, one template prefix,
# and a fresh copy of the template for each group of tests.
#   wine_env_init        exports the environment, starts Xvfb, makes the template
#   wine_template_ready  true when the template exists and was made by this recipe
#   wine_prefix NAME     makes (once) and exports the prefix for test group NAME
#   wine_copy_template DEST  a new prefix at DEST, sharing Wine's modules with the template
#   wine_env_stop        ends every wineserver and Xvfb
: "${PEL_WINE_ROOT:=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/wine}"
export PEL_WINE_ROOT

export LANG=C.UTF-8 WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export HOME="$PEL_WINE_ROOT/home"

wine_env_init() {
  mkdir -p "$PEL_WINE_ROOT/prefixes" "$HOME"
  if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
    wine_display
    echo "$WINE_DISPLAY_PID" > "$PEL_WINE_ROOT/xvfb.pid"
  fi
  wine_template_ready || wine_make_template
}

# What the template is made of: this recipe, the fonts it copies and the Wine
# that runs it. A template made otherwise is stale and is made again, so a
# developer's old prefix cannot hide a change (the fonts, most of all).
wine_template_stamp() {
  { declare -f wine_make_template; ls -l /usr/share/wine/fonts /usr/share/fonts/truetype/liberation 2>/dev/null
    wine --version 2>/dev/null; } |
    md5sum | cut -d' ' -f1
}
wine_template_ready() {
  [ -f "$PEL_WINE_ROOT/template/.ready" ] &&
    [ "$(cat "$PEL_WINE_ROOT/template/.ready")" == "$(wine_template_stamp)" ]
}

# Starts a virtual display of its own and exports DISPLAY; its process id is
# left in WINE_DISPLAY_PID. Two callers racing for one number: the loser tries
# the next.
wine_display() {
  local n=$(( 100 + RANDOM % 800 )) tries
  for tries in $(seq 20); do
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    WINE_DISPLAY_PID=$!
    for _ in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$WINE_DISPLAY_PID" 2>/dev/null && break
      kill -0 "$WINE_DISPLAY_PID" 2>/dev/null || break
      sleep 0.1
    done
    if kill -0 "$WINE_DISPLAY_PID" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
      export DISPLAY=":$n"
      return 0
    fi
    n=$((n + 1))
  done
  echo "wine-env: no virtual display could be started" >&2
  return 1
}

wine_make_template() {
  local t="$PEL_WINE_ROOT/template"
  rm -rf "$t"
  WINEPREFIX="$t" wineboot -i >/dev/null 2>&1
  WINEPREFIX="$t" wineserver -w
  # A closed top-level window costs seconds without a window manager unless
  # Wine manages the windows itself.
  WINEPREFIX="$t" wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  WINEPREFIX="$t" wineserver -w
  # Debian's Wine does not look in /usr/share/wine/fonts: without these the
  # dialogs fall back to other faces.
  cp /usr/share/wine/fonts/* "$t/drive_c/windows/Fonts/" 2>/dev/null || true
  # Nor is there a Times New Roman (the headings' face): its metric twin
  # stands in, so the headings keep their width and their serifs.
  WINEPREFIX="$t" wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Times New Roman' \
    /t REG_SZ /d 'Liberation Serif' /f >/dev/null 2>&1
  WINEPREFIX="$t" wineserver -w
  # The user folders are links into $HOME; make them real so that tests write
  # nothing outside the prefix.
  local link
  for link in "$t"/drive_c/users/*/*; do
    if [ -L "$link" ]; then rm -f "$link"; mkdir -p "$link"; fi
  done
  wine_template_stamp > "$t/.ready"
}

# wine_copy_template DEST: a prefix of the template's. Wine's own modules and
# fonts make up nearly all of its size and are only ever mapped for reading,
# so they are shared with the template by hard links; every other file (the
# registry, the ini files, whatever a test may rewrite in place) is a copy of
# its own. A test run holds dozens of prefixes, and a full copy of each filled
# the disk.
wine_copy_template() {
  local t="$PEL_WINE_ROOT/template"
  cp -al "$t" "$1" &&
    (cd "$t" && find . \( -type f -o -type l \) ! \( -type f \( -name '*.dll' -o -name '*.exe' \
      -o -name '*.nls' -o -name '*.fon' -o -name '*.ttf' -o -name '*.sys' -o -name '*.drv' \
      -o -name '*.ocx' -o -name '*.cpl' -o -name '*.acm' -o -name '*.tlb' -o -name '*.ax' \
      -o -name '*.ds' -o -name '*.msstyles' -o -name '*.icm' -o -name '*.com' \) \) -print0) |
    (cd "$1" && xargs -0 -r sh -c 'for f; do rm -f "$f" && cp -a "$0/$f" "$f" || exit 1; done' "$t")
}

# A fresh prefix for one group of tests, made from the template the first time.
wine_prefix() {
  local p="$PEL_WINE_ROOT/prefixes/$1"
  if [ ! -d "$p" ]; then
    rm -rf "$p.tmp.$$"
    wine_copy_template "$p.tmp.$$" && mv "$p.tmp.$$" "$p"
  fi
  export WINEPREFIX="$p"
  # Start the prefix's services with their output away from the caller: ctest
  # would otherwise wait on pipes that wineserver's children keep open.
  wineserver -p >/dev/null 2>&1 </dev/null
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}

wine_env_stop() {
  local p
  for p in "$PEL_WINE_ROOT"/prefixes/* "$PEL_WINE_ROOT/template"; do
    [ -d "$p" ] && WINEPREFIX="$p" wineserver -k >/dev/null 2>&1 || true
  done
  if [ -f "$PEL_WINE_ROOT/xvfb.pid" ]; then
    kill "$(cat "$PEL_WINE_ROOT/xvfb.pid")" 2>/dev/null || true
    rm -f "$PEL_WINE_ROOT/xvfb.pid"
  fi
}
