#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, and nothing
# else. Quick and silent when everything is already there, so every make target may
# call it.
set -euo pipefail

packages=(cmake ninja-build g++ clang libgtest-dev libgmock-dev libbenchmark-dev libpq-dev postgresql
          libsqlite3-dev sqlite3 python3-ezdxf librsvg2-bin ccache libclang-rt-14-dev
          libwxgtk3.2-dev xvfb xauth)

# Wanted but not needed: LibreCAD prints the example's DXF in a test that is skipped
# without it. Their failure to install fails nothing.
optional=(librecad)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
missingOptional=()
for p in "${optional[@]}"; do installed "$p" || missingOptional+=("$p"); done
[ ${#missing[@]} -eq 0 ] && [ ${#missingOptional[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq || [ ${#missing[@]} -eq 0 ]
if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
if [ ${#missingOptional[@]} -gt 0 ]; then
  echo "install-deps: trying the optional ${missingOptional[*]}"
  $sudo apt-get install -y -qq --no-install-recommends "${missingOptional[@]}" >/dev/null 2>&1 ||
    echo "install-deps: ${missingOptional[*]} could not be installed; the LibreCAD test will be skipped"
fi
