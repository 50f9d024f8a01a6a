#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build and the tests need and
# the machine lacks. Runs as root (apt-get); does nothing when all is there.
set -euo pipefail
# With --fuzz, also clang and its sanitizer and libFuzzer runtimes, which only
# the fuzz build (scripts/fuzz.sh) needs.
packages=(g++ cmake ninja-build qt6-base-dev libgl-dev libgtest-dev libgmock-dev libbenchmark-dev perl sed)
# X11's client library: the program reads the window manager's close
# requests with it (Qt's X11 support already needs it at run time).
packages+=(libxcb1-dev)
# Qt's own texts (standard buttons, file dialogs, context menus) in the
# interface's other languages: qtbase_ru.qm and the rest.
packages+=(qt6-translations-l10n)
# The peers the plug-in benchmarks (bench_plugins, bench_pluginhost) are timed against.
packages+=(dos2unix python3)
# The virtual X server and the key sender of the end-to-end test; the window
# manager that frames its windows, the tools that read their places, and the
# one that gives the display a Russian keyboard.
packages+=(xvfb xdotool openbox x11-utils x11-xkb-utils)
# The peers the run benchmark (bench_run_peers) is timed against.
packages+=(grep ripgrep)
if [ "${1:-}" = "--fuzz" ]; then
  packages+=(clang libclang-rt-14-dev)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
