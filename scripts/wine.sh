# Wine helpers for scripts/demo and scripts/test (sourced, not run).
#
# Two loaders: `wine` for the 32-bit build, and the 64-bit loader for the
# x86_64 build. Debian puts the 64-bit one at /usr/lib/wine/wine64 (package
# wine64), outside PATH, and its `wine` command always starts the 32-bit
# loader first, so the 64-bit one is named directly.

quarlane_wine_loader() { # 32|64
  if [ "$1" = 64 ]; then
    local candidate
    for candidate in "$(command -v wine64 || true)" /usr/lib/wine/wine64 /usr/lib64/wine/wine64 \
                     /usr/lib/x86_64-linux-gnu/wine/wine64; do
      if [ -n "$candidate" ] && [ -x "$candidate" ]; then
        echo "$candidate"
        return 0
      fi
    done
  fi
  echo wine
}

# Whether this machine can start 32-bit Windows programs under Wine. They
# need the 32-bit loader, a 32-bit x86 Linux program; a kernel built without
# 32-bit support refuses it with "Exec format error" (a kernel started with
# ia32_emulation=off, or built without IA32 emulation, says "32-bit emulation
# disabled" in its log).
# Prints the reason when it cannot.
quarlane_wine32_works() {
  local out
  if ! out="$(wine --version 2>&1 </dev/null)"; then
    echo "the 32-bit Wine loader does not start here: ${out##*: }"
    return 1
  fi
  return 0
}

# Makes a Wine prefix ready (once: about 10 to 30 seconds) and starts a
# server that outlives the runs by a minute, away from any caller's pipes.
quarlane_wine_prefix() { # loader prefix
  local loader="$1" prefix="$2"
  if [ ! -f "$prefix/system.reg" ]; then
    echo "preparing the Wine prefix $prefix (once, about half a minute)"
    WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
      "$loader" wineboot -i >/dev/null 2>&1 </dev/null || true
    WINEPREFIX="$prefix" wineserver -w >/dev/null 2>&1 </dev/null || true
  fi
  WINEPREFIX="$prefix" wineserver -p60 >/dev/null 2>&1 </dev/null || true
  WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
    "$loader" cmd.exe /c exit >/dev/null 2>&1 </dev/null || true
  [ -f "$prefix/system.reg" ] || [ -d "$prefix/drive_c" ]
}
